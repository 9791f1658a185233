#include "contentlist/ContentRecordMap.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace
{
using Model = std::map<std::string, ContentRecord>;

// What the store needs for the records: each key and text with its NUL.
std::size_t LiveBytes(const Model& model)
{
    std::size_t bytes = 0;
    for (const auto& [key, record] : model)
        bytes += key.size() + record.Text1.size() + record.Text2.size() + 3;
    return bytes;
}

bool EndsInNul(std::string_view text)
{
    return text.data()[text.size()] == '\0';
}

void ExpectSame(const CContentRecordMap& map, const Model& model)
{
    ASSERT_EQ(map.Size(), model.size());
    for (const auto& [key, view] : map)
    {
        EXPECT_TRUE(EndsInNul(key) && EndsInNul(view.Text1) && EndsInNul(view.Text2)) << key;
        const auto found = model.find(std::string(key));
        ASSERT_NE(found, model.end()) << key;
        EXPECT_EQ(view.Text1, found->second.Text1) << key;
        EXPECT_EQ(view.Text2, found->second.Text2) << key;
        EXPECT_EQ(view.Number, found->second.Number) << key;
    }
}
} // namespace

// Records set, replaced with texts of their own (views of the map's copies), removed and cleared, in
// an order drawn from a fixed seed; replaced texts are dropped from time to time, never the live ones.
TEST(ContentRecordMap, AgreesWithAModel)
{
    CContentRecordMap map;
    Model model;
    std::minstd_rand random(12);
    for (int step = 0; step < 6000; ++step)
    {
        const std::string key = "k" + std::to_string(random() % 40);
        const std::string text(random() % 200, static_cast<char>('a' + step % 26));
        const ContentRecordView* stored = map.Find(key);
        ASSERT_EQ(stored != nullptr, model.count(key) == 1) << step;
        switch (random() % 3)
        {
        case 0:
            map.Set(key, text, key, step);
            model[key] = ContentRecord{text, key, step};
            ASSERT_LE(map.StoredBytes(), 2 * LiveBytes(model) + 1024) << step;
            break;
        case 1:
            if (!stored)
                break;
            map.Set(key, stored->Text2, stored->Text1, -step);
            model[key] = ContentRecord{model[key].Text2, model[key].Text1, -step};
            break;
        default:
            EXPECT_EQ(map.Remove(key), model.erase(key) == 1) << step;
        }
        if (step % 1000 == 0)
            ExpectSame(map, model);
    }
    ExpectSame(map, model);
    map.Clear();
    EXPECT_EQ(map.Size(), 0u);
    EXPECT_EQ(map.StoredBytes(), 0u);
    // The store's freed memory held texts: the new copies still end in a NUL.
    map.Set("x", "abc", "", 1);
    ExpectSame(map, Model{{"x", ContentRecord{"abc", "", 1}}});
}

// Replaced and removed copies stay until they outweigh the live ones; then the next Set drops them.
TEST(ContentRecordMap, ReplacedCopiesAreDroppedOnceTheyOutweighTheLiveOnes)
{
    enum Change { Set, Remove, Clear };
    struct { Change change; const char* key; const char* text; std::size_t stored; } const rows[] = {
        {Set, "k", "abcdef", 10}, {Set, "j", "x", 15}, {Set, "k", "ghijkl", 25}, {Remove, "j", "", 25},
        {Set, "k", "mnopqr", 10}, {Set, "k", "stuvwxyz01", 24}, {Set, "k", "ab", 30}, {Set, "k", "cd", 6},
        {Clear, "", "", 0}, {Set, "k", "abcdef", 10}, {Set, "k", "ghijkl", 20}, {Set, "k", "mnopqr", 30},
    };
    CContentRecordMap map;
    for (const auto& row : rows)
    {
        if (row.change == Set)
            map.Set(row.key, row.text, "", 0);
        else if (row.change == Remove)
            map.Remove(row.key);
        else
            map.Clear();
        EXPECT_EQ(map.StoredBytes(), row.stored) << row.key << " " << row.text;
    }
    EXPECT_EQ(std::string(map.Find("k")->Text1), "mnopqr");
}
