#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "typelib/text/TextPool.h"

namespace vantrel::testing {
namespace {

// Views handed out early must survive the blocks added later, whatever the text sizes:
// names of every length up to the name table's 255, an empty one, and texts longer
// than a block.
TEST(TextPool, EarlierViewsSurviveLaterBlocks) {
    TextPool pool;
    std::vector<std::string> texts;
    std::vector<std::string_view> views;
    for (size_t i = 0; i < 20000; ++i) {
        texts.push_back(std::string(i % 256, static_cast<char>('a' + i % 26)) + std::to_string(i));
        views.push_back(pool.add(texts.back()));
    }
    texts.push_back(std::string(200000, 'x'));
    views.push_back(pool.add(texts.back()));
    texts.push_back("after the long one");
    views.push_back(pool.add(texts.back()));
    for (size_t i = 0; i < texts.size(); ++i) ASSERT_EQ(views[i], texts[i]) << i;
    EXPECT_TRUE(pool.add("").empty());
}

}  // namespace
}  // namespace vantrel::testing
