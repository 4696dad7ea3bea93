// The content a fresh install ships is test input: every file must load without a message,
// and every reference in it (key chips, rebinds, gotos) must hold against the example
// bindings.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <pango/pango.h>

#include <array>
#include <cstdlib>
#include <map>
#include <set>

#include "content/guides.hpp"
#include "content/keybinds.hpp"
#include "content/markdown.hpp"
#include "content/symptoms.hpp"
#include "content/tour.hpp"
#include "test_files.hpp"

namespace marlguide::content {
namespace {

namespace fs = std::filesystem;
using testing::stderr_of;

fs::path source_root() {
  const char* root = std::getenv("MARLGUIDE_SOURCE_ROOT");
  return root ? fs::path(root) : fs::path(".");
}

fs::path content_root() { return source_root() / "content"; }

std::vector<Keybind> example_binds() {
  std::vector<Keybind> binds;
  const std::string err =
      stderr_of([&] { binds = load_keybinds(source_root() / "data/examples/binds.json"); });
  EXPECT_EQ(err, "");
  return binds;
}

bool pango_accepts(const std::string& markup) {
  GError* error = nullptr;
  const bool ok = pango_parse_markup(markup.c_str(), -1, 0, nullptr, nullptr, nullptr, &error);
  if (error) g_error_free(error);
  return ok;
}

// Every key chip resolves and every text span renders (its emphasis markers balance).
void check_text(const std::string& where, const std::string& text,
                const std::vector<Keybind>& binds) {
  auto check_spans = [&](const std::vector<Span>& spans) {
    for (const auto& span : spans) {
      if (const auto* t = std::get_if<Text>(&span)) {
        EXPECT_TRUE(pango_accepts(span_markup(t->text))) << where << ": " << t->text;
      } else if (const auto* chip = std::get_if<KeyChip>(&span)) {
        EXPECT_TRUE(find_keybind(binds, chip->text)) << where << ": no binding " << chip->text;
      } else {
        const auto& run = std::get<RunButton>(span);
        EXPECT_FALSE(run.command.empty()) << where;
        EXPECT_FALSE(run.label.empty()) << where;
      }
    }
  };
  for (const auto& block : parse_blocks(text)) {
    if (const auto* p = std::get_if<Paragraph>(&block)) check_spans(p->spans);
    if (const auto* b = std::get_if<Bullet>(&block)) check_spans(b->spans);
  }
}

TEST(ShippedContent, ExampleBindingsLoad) {
  const auto binds = example_binds();
  EXPECT_GE(binds.size(), 20u);
  EXPECT_TRUE(std::ranges::any_of(binds, [](const Keybind& b) { return b.demo_cmd.has_value(); }));
  EXPECT_TRUE(std::ranges::any_of(binds, [](const Keybind& b) { return !b.dispatcher; }));
}

TEST(ShippedContent, GuidesLoadWithTitlesTextsAndResolvableChips) {
  std::vector<Guide> guides;
  const std::string err =
      stderr_of([&] { guides = load_guides(content_root(), "/nonexistent/user/content"); });
  EXPECT_EQ(err, "");

  const auto binds = example_binds();
  std::map<std::string, int> per_category;
  int with_beginner_text = 0;
  for (const auto& guide : guides) {
    const std::string where = guide.category + "/" + guide.id;
    ++per_category[guide.category];
    EXPECT_FALSE(guide.meta.title.empty()) << where;
    EXPECT_LT(category_rank(guide.category), 6) << where << " is in no known category";
    const std::string text = guide_text(guide, false);
    EXPECT_FALSE(parse_blocks(text).empty()) << where << " has no text";
    check_text(where, text, binds);
    if (fs::exists(guide.path / "content.beginner.md")) {
      ++with_beginner_text;
      const std::string simple = guide_text(guide, true);
      EXPECT_NE(simple, text) << where;
      EXPECT_FALSE(parse_blocks(simple).empty()) << where;
      check_text(where + " (beginner)", simple, binds);
    }
  }
  std::set<std::string> keys;
  for (const auto& guide : guides) keys.insert(guide.category + "/" + guide.id);
  for (const auto& guide : guides)
    for (const auto& related : guide.meta.related)
      EXPECT_TRUE(keys.contains(related)) << guide.id << " relates to missing " << related;
  for (const char* category :
       {"getting-started", "daily-use", "customization", "apps", "troubleshooting", "advanced"}) {
    EXPECT_GE(per_category[category], 2) << category;
  }
  EXPECT_GE(with_beginner_text, 3);
}

TEST(ShippedContent, SymptomTreesLoadAndEveryGotoResolves) {
  SymptomTable table;
  const std::array<fs::path, 1> dirs{content_root() / "troubleshooting/_symptoms"};
  const std::string err = stderr_of([&] { table = load_symptoms(dirs); });
  EXPECT_EQ(err, "");

  for (const auto& known : known_symptoms())
    EXPECT_NE(find_node(table, known.id, "start"), nullptr) << known.id;

  int cross_symptom = 0;
  for (const auto& [symptom, nodes] : table) {
    std::set<std::string> reached{"start"};
    for (const auto& node : nodes) {
      EXPECT_FALSE(node.prompt.empty()) << symptom << ":" << node.id;
      for (const auto& option : node.options) {
        const auto target = resolve_goto(table, symptom, option.go_to);
        EXPECT_NE(find_node(table, target.symptom, target.node), nullptr)
            << symptom << ":" << node.id << " -> " << option.go_to;
        if (target.symptom == symptom) reached.insert(target.node);
        if (target.symptom != symptom) ++cross_symptom;
      }
      if (node.fix) {
        EXPECT_FALSE(node.fix->command.empty()) << symptom << ":" << node.id;
      }
    }
    for (const auto& node : nodes)
      EXPECT_TRUE(reached.contains(node.id)) << symptom << ":" << node.id << " is unreachable";
  }
  EXPECT_GE(cross_symptom, 1);
}

TEST(ShippedContent, OnboardingTourLoadsAndItsKeysExist) {
  std::vector<Step> steps;
  const std::string err =
      stderr_of([&] { steps = load_tour(content_root() / "tours/onboarding.toml"); });
  EXPECT_EQ(err, "");
  EXPECT_GE(steps.size(), 5u);
  EXPECT_LE(steps.size(), 8u);

  const auto binds = example_binds();
  for (const auto& step : steps) {
    EXPECT_FALSE(step.title.empty()) << step.id;
    EXPECT_FALSE(parse_blocks(step.body).empty()) << step.id;
    check_text("tour step " + step.id, step.body, binds);
    if (step.rebind_combo) {
      EXPECT_TRUE(step.success_event) << step.id << ": a rebind needs an event";
      const auto bind = find_keybind(binds, *step.rebind_combo);
      ASSERT_TRUE(bind) << step.id << ": no binding " << *step.rebind_combo;
      EXPECT_TRUE(bind->dispatcher && bind->dispatcher->starts_with("exec,"))
          << step.id << ": " << *step.rebind_combo << " starts no program";
    }
    if (step.target_window_class) {
      EXPECT_TRUE(step.launch) << step.id;
    }
  }
}

}  // namespace
}  // namespace marlguide::content
