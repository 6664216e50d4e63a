#include <QSet>
#include <QSignalSpy>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ControllerHarness.h"
#include "ui/HistoryListModel.h"

namespace nimbrook {
namespace {

TEST(HistoryListModelTest, rolesFollowTheEntry) {
    for (const std::optional<QString>& source :
         {std::optional(QStringLiteral("Firefox ESR")), std::optional<QString>(),
          std::optional(QString())}) {
        ControllerHarness harness;
        HistoryListModel model{harness.viewModel};
        const auto role = [&model](int role) { return model.data(model.index(0), role); };
        harness.activeApplication.setFrontmostName(source ? std::optional(source->toStdString())
                                                          : std::nullopt);
        harness.copy("  {\"a\": 1}\n");

        ASSERT_EQ(model.rowCount(), 1);
        const ClipboardItem& entry = harness.viewModel.items().front();
        EXPECT_EQ(role(HistoryListModel::IdRole).toString(),
                  QString::fromStdString(entry.id().text()));
        EXPECT_EQ(role(HistoryListModel::ContentTypeRole).toInt(),
                  static_cast<int>(ContentType::json));
        EXPECT_EQ(role(HistoryListModel::PreviewRole).toString(), QStringLiteral("{\"a\": 1}"));
        EXPECT_EQ(role(HistoryListModel::TimestampRole).toDouble(),
                  entry.timestamp().secondsSinceReferenceDate);
        // No source application is no value at all; an empty name is kept as a name.
        const QVariant shownSource = role(HistoryListModel::SourceAppRole);
        EXPECT_EQ(shownSource.isValid(), source.has_value());
        EXPECT_EQ(shownSource.toString(), source.value_or(QString()));
        EXPECT_FALSE(role(HistoryListModel::CopiedRole).toBool());
        // A screen reader hears type, preview, time and application, in Chinese.
        const QString time = role(HistoryListModel::RelativeTimeRole).toString();
        EXPECT_TRUE(time.endsWith(u'前'));
        const QString name = source.value_or(QString());
        EXPECT_EQ(role(Qt::AccessibleTextRole).toString(),
                  u"JSON，{\"a\": 1}，" + time + (name.isEmpty() ? QString() : u"，" + name));
        EXPECT_EQ(model.item(1), nullptr);
    }
}

TEST(HistoryListModelTest, copiedHighlightRepaintsEveryRowOfTheId) {
    // A hand-edited history file may hold one id twice; both rows carry the highlight.
    ControllerHarness harness;
    harness.copy("twin");
    harness.copy("other");
    const std::vector<ClipboardItem>& items = harness.viewModel.items();
    harness.storage.save({items.at(1), items.at(0), items.at(1)});
    ClipboardViewModel reloaded{{{harness.pasteboard, harness.activeApplication, harness.imageStore,
                                  harness.scheduler, harness.clock, harness.workQueue},
                                 harness.storage}};
    HistoryListModel model{reloaded};
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    const auto notifiedRows = [&changed] {
        QSet<int> rows;
        for (const QList<QVariant>& signal : changed) {
            rows << signal.at(0).value<QModelIndex>().row();
        }
        changed.clear();
        return rows;
    };

    reloaded.copyToPasteboard(reloaded.items().front());
    EXPECT_EQ(notifiedRows(), (QSet<int>{0, 2}));
    EXPECT_TRUE(model.data(model.index(2), HistoryListModel::CopiedRole).toBool());

    harness.clock.advance(std::chrono::milliseconds(800));
    EXPECT_EQ(notifiedRows(), (QSet<int>{0, 2}));
    EXPECT_FALSE(model.data(model.index(2), HistoryListModel::CopiedRole).toBool());
}

}  // namespace
}  // namespace nimbrook
