// How long one keystroke in the Ask page's search takes over an index of 10,000 items: the
// substring scan alone, and, when a display is available, the scan with the result list
// rebuilt as the page does it. Prints the median of many runs for a few kinds of query.
//
//   tools/in-devroot tools/with-compositor build/benchmarks/bench-ask-filter

#include <gtk/gtk.h>
#include <gtkmm/init.h>
#include <gtkmm/listbox.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "content/search.hpp"
#include "ui/ask_view.hpp"

namespace {

using namespace marlguide;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kItems = 10'000;
constexpr int kRuns = 301;

const char* const kWords[] = {
    "open",   "window",  "wifi",     "network", "sound",    "display", "monitor", "update",
    "backup", "screen",  "keyboard", "launch",  "terminal", "browser", "notes",   "tasks",
    "folder", "printer", "battery",  "theme",   "colours",  "font",    "mouse",   "workspace",
    "move",   "close",   "resize",   "focus",   "lock",     "paste",   "search",  "settings",
};

std::string words(std::mt19937& rng, int count) {
  std::uniform_int_distribution<std::size_t> pick(0, std::size(kWords) - 1);
  std::string text;
  for (int i = 0; i < count; ++i) {
    if (i) text += ' ';
    text += kWords[pick(rng)];
  }
  // Mixed case, so that the index really lower-cases.
  text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

// 2,000 guides with tags and 8,000 bindings less the built-in commands: 10,000 items.
std::vector<content::SearchItem> make_index() {
  std::mt19937 rng(7);
  std::vector<content::Guide> guides(2'000);
  for (std::size_t i = 0; i < guides.size(); ++i) {
    guides[i].category = "daily-use";
    guides[i].id = "guide-" + std::to_string(i);
    guides[i].meta.title = words(rng, 4);
    guides[i].meta.tags = {words(rng, 1), words(rng, 1), words(rng, 1)};
  }
  std::vector<content::Keybind> binds(kItems - guides.size() - content::builtin_commands().size());
  for (auto& b : binds) {
    b.combo = "super + shift + " + std::string(1, static_cast<char>('a' + rng() % 26));
    b.description = words(rng, 5);
    b.dispatcher = "exec,true";
  }
  return content::build_search_index(guides, binds);
}

double median_us(const std::function<void()>& run) {
  std::vector<double> times;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = Clock::now();
    run();
    times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
  }
  std::nth_element(times.begin(), times.begin() + kRuns / 2, times.end());
  return times[kRuns / 2];
}

}  // namespace

int main() {
  const auto index = make_index();
  std::printf("index: %zu items\n", index.size());

  struct Query {
    const char* text;
    const char* what;
  } const queries[] = {
      {"", "empty entry (first 40 items)"},
      {"w", "one common letter (stops after 40)"},
      {"wifi netw", "two words (few matches, whole scan)"},
      {"zzz", "no match (whole scan)"},
      {"Open Window Wifi", "capitals, rare (whole scan)"},
  };

  std::printf("\nsubstring scan only (median of %d runs)\n", kRuns);
  for (const auto& q : queries) {
    std::size_t found = 0;
    const double us =
        median_us([&] { found = content::matching_items(index, q.text, ui::kMaxResults).size(); });
    std::printf("  %-38s %8.1f us  (%zu rows)\n", q.what, us, found);
  }

  if (!gtk_init_check()) {
    std::printf("\nno display: the result list was not measured\n");
    return 0;
  }
  Gtk::init_gtkmm_internals();
  auto* list = Gtk::make_managed<Gtk::ListBox>();
  g_object_ref_sink(list->gobj());
  std::printf("\none keystroke: scan and result rows rebuilt (median of %d runs)\n", kRuns);
  for (const auto& q : queries) {
    const double us = median_us([&] { ui::filter_results(*list, index, q.text); });
    std::printf("  %-38s %8.1f us\n", q.what, us);
  }
  g_object_unref(list->gobj());
  return 0;
}
