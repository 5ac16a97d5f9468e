// Helpers of the demo story tests: where the build put the story, and its script loaded with the
// game's own parser.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "scenario/scenario.h"
#include "support/scenario_fixtures.h"

// The plain folder poromina-demogen wrote and the game folder whose data folder pack wrote.
inline std::string demo_plain() { return std::string(POROMINA_DEMO_DIR) + "/plain"; }
inline std::string demo_game() { return POROMINA_DEMO_DIR; }

// The plain script parsed into a fresh table (the table is large: kept on the heap).
inline std::unique_ptr<SceneTable> load_demo_table() {
    auto table = std::make_unique<SceneTable>();
    std::string text = read_file(demo_plain() + "/GAME42297263");
    EXPECT_FALSE(text.empty()) << "the build made no demo script";
    int result = parse_scenario(table.get(), text.data(), static_cast<int32_t>(text.size()));
    EXPECT_EQ(result, 0) << "line " << scenario_error().line << ": " << scenario_error().reason;
    return table;
}
