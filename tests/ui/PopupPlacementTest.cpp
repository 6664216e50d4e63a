#include <QRect>

#include <gtest/gtest.h>

#include "ui/PopupPlacement.h"

namespace nimbrook {
namespace {

struct PlacementCase {
    const char* tag;
    QRect icon;
    QPoint pointer;
    QRect area;
    QPoint corner;
};

const QSize panel(400, 520);
const QRect topBar(0, 28, 1920, 1052);  // a 28-pixel bar along the top

const PlacementCase placementCases[] = {
    {"top bar, icon at the right end", {1890, 2, 24, 24}, {}, topBar, {1520, 28}},
    {"top bar, icon in the middle", {948, 2, 24, 24}, {}, topBar, {759, 28}},
    {"bottom panel, icon at the right", {1880, 1044, 32, 32}, {}, {0, 0, 1920, 1036}, {1520, 516}},
    {"left panel, icon at the top", {8, 10, 32, 32}, {}, {48, 0, 1872, 1080}, {48, 42}},
    {"right panel, icon at the bottom", {1880, 1040, 32, 32}, {}, {0, 0, 1872, 1080}, {1472, 520}},
    {"no geometry: the pointer on a top bar", {}, {1900, 14}, topBar, {1520, 28}},
    {"zero-sized geometry counts as none", {1900, 10, 0, 0}, {500, 14}, topBar, {300, 28}},
    {"second screen to the right", {3170, 2, 24, 24}, {}, {1920, 28, 1280, 996}, {2800, 28}},
    {"area too low: pinned to its top", {100, 2, 24, 24}, {}, {0, 28, 1024, 400}, {0, 28}},
    {"area too narrow: pinned to its left", {100, 2, 24, 24}, {}, {10, 28, 300, 1000}, {10, 28}},
    {"neither side has room: the roomier side", {100, 400, 24, 24}, {}, {0, 0, 1024, 700}, {0, 0}},
};

TEST(PopupPlacementTest, staysInsideTheAvailableArea) {
    for (const auto& [tag, icon, pointer, area, corner] : placementCases) {
        const QRect placed = PopupPlacement::geometry(panel, icon, pointer, area);
        EXPECT_EQ(placed, QRect(corner, panel)) << tag;
    }
}

struct BesideCase {
    const char* tag;
    QRect panel;
    QSize size;
    QPoint corner;
};

const BesideCase besideCases[] = {
    {"room on the right", {1000, 28, 400, 520}, {420, 300}, {1400, 28}},
    {"panel at the right end: on its left", {1520, 28, 400, 520}, {360, 360}, {1160, 28}},
    {"panel low on the screen: moved up inside", {100, 900, 400, 520}, {420, 520}, {500, 560}},
    {"no room on either side: the roomier one, inside", {200, 28, 1600, 520}, {420, 300}, {0, 28}},
    {"larger than the screen: pinned to its corner", {0, 28, 400, 520}, {2000, 1200}, {0, 28}},
};

TEST(PopupPlacementTest, previewGoesBesideThePanel) {
    for (const auto& [tag, panelRect, size, corner] : besideCases) {
        EXPECT_EQ(PopupPlacement::beside(size, panelRect, topBar), QRect(corner, size)) << tag;
    }
}

}  // namespace
}  // namespace nimbrook
