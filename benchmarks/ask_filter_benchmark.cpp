// How long one keystroke in the Ask page's search takes over an index of 10,000 items, with
// Google Benchmark: the substring scan alone, and, when a display is available, the scan with
// the result list rebuilt as the page does it.
//
//   tools/in-devroot tools/with-compositor build/benchmarks/bench-ask-filter
//
// (`make bench` runs it after the start-up benchmarks.)

#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <gtkmm/init.h>
#include <gtkmm/listbox.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "content/search.hpp"
#include "ui/ask_view.hpp"

namespace {

using namespace marlguide;

constexpr std::size_t kItems = 10'000;

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
const std::vector<content::SearchItem>& index() {
  static const std::vector<content::SearchItem> items = [] {
    std::mt19937 rng(7);
    std::vector<content::Guide> guides(2'000);
    for (std::size_t i = 0; i < guides.size(); ++i) {
      guides[i].category = "daily-use";
      guides[i].id = "guide-" + std::to_string(i);
      guides[i].meta.title = words(rng, 4);
      guides[i].meta.tags = {words(rng, 1), words(rng, 1), words(rng, 1)};
    }
    std::vector<content::Keybind> binds(kItems - guides.size() -
                                        content::builtin_commands().size());
    for (auto& b : binds) {
      b.combo = "super + shift + " + std::string(1, static_cast<char>('a' + rng() % 26));
      b.description = words(rng, 5);
      b.dispatcher = "exec,true";
    }
    return content::build_search_index(guides, binds);
  }();
  return items;
}

struct Query {
  const char* name;
  const char* text;
};

const Query kQueries[] = {
    {"empty entry (first 40 items)", ""},
    {"one common letter (stops after 40)", "w"},
    {"two words (few matches, whole scan)", "wifi netw"},
    {"no match (whole scan)", "zzz"},
    {"capitals, rare (whole scan)", "Open Window Wifi"},
};

void scan(benchmark::State& state, const char* query) {
  const auto& items = index();
  std::size_t found = 0;
  for (auto _ : state) {
    auto rows = content::matching_items(items, query, ui::kMaxResults);
    found = rows.size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["items"] = static_cast<double>(items.size());
  state.counters["rows"] = static_cast<double>(found);
}

void keystroke(benchmark::State& state, const char* query) {
  const auto& items = index();
  auto* list = Gtk::make_managed<Gtk::ListBox>();
  g_object_ref_sink(list->gobj());
  for (auto _ : state) ui::filter_results(*list, items, query);
  g_object_unref(list->gobj());
  state.counters["items"] = static_cast<double>(items.size());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  for (const auto& q : kQueries)
    benchmark::RegisterBenchmark(std::string("scan/") + q.name, scan, q.text)
        ->Unit(benchmark::kMicrosecond);
  if (gtk_init_check()) {
    Gtk::init_gtkmm_internals();
    for (const auto& q : kQueries)
      benchmark::RegisterBenchmark(std::string("keystroke with rows/") + q.name, keystroke, q.text)
          ->Unit(benchmark::kMicrosecond);
  } else {
    std::fprintf(stderr, "no display: the keystroke with its result rows is not measured\n");
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
