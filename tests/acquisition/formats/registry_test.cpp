#include "acquisition/formats/format_registry.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <algorithm>

namespace digitrace {
namespace {

TEST(FormatRegistry, EveryKindIsDescribedOnceUnderItsOwnName) {
    QSet<QString> names;
    for (int k = 0; k <= int(FormatKind::Custom); ++k) {
        const auto kind = FormatKind(k);
        const TabletFormatDescription &d = describe(kind);
        EXPECT_EQ(d.kind, kind) << k;
        EXPECT_EQ(formatKindFromName(QString(d.name)), kind) << k;
        names.insert(d.name);
    }
    EXPECT_EQ(names.size(), tabletFormats().size());
}

// A description wired to another format's decoder or encoder reads its own reports wrongly.
TEST(FormatRegistry, EachFormatReadsBackTheRecordItWrites) {
    for (const TabletFormatDescription *d : tabletFormats()) {
        TabletFormat format;
        format.kind = d->kind;
        format.strict = true;
        const int button = std::min(d->largestButton(format), 9);
        QByteArray bytes;
        if (d->reportsPositions)
            bytes += d->encode(format, 1234, 567, 0, true).bytes;
        const QByteArray record = d->encode(format, 1234, 567, button, true).bytes;
        bytes += record;
        QList<DecodedItem> items;
        d->makeDecoder(format)->feed(bytes, items);
        ASSERT_FALSE(items.isEmpty()) << d->name.data();
        const DecodedItem &last = items.constLast();
        EXPECT_EQ(last.kind, DecodedItem::Kind::Record) << d->name.data();
        if (d->carriesCodes) {
            EXPECT_EQ(last.raw + '\r', record) << d->name.data();
        } else {
            EXPECT_EQ(last.x, 1234) << d->name.data();
            EXPECT_EQ(last.y, 567) << d->name.data();
            EXPECT_EQ(last.button, button) << d->name.data();
        }
    }
}

// The README's table of formats names them in the registry's order, says "none" for the
// formats that report no positions, and gives the binary ones a report length.
TEST(FormatRegistry, TheReadmeTableAgreesWithTheRegistry) {
    QFile readme(QStringLiteral(DIGITRACE_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    const qsizetype table = text.indexOf(QStringLiteral("| Name | Layout | Position reports |"));
    ASSERT_GE(table, 0);
    QStringList rows;
    for (const QString &line : text.mid(table).section(QStringLiteral("\n\n"), 0, 0).split(u'\n'))
        if (line.startsWith(QStringLiteral("| `")))
            rows << line;
    ASSERT_EQ(rows.size(), tabletFormats().size());
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const TabletFormatDescription &d = *tabletFormats()[i];
        // "| `name` | layout | position reports | sources |"
        const QStringList cells = rows[i].split(QStringLiteral(" | "));
        ASSERT_GE(cells.size(), 3) << rows[i].toStdString();
        EXPECT_EQ(cells[0], QStringLiteral("| `%1`").arg(d.name)) << i;
        EXPECT_EQ(cells[2].startsWith(QStringLiteral("none")), !d.reportsPositions)
            << cells[0].toStdString();
        static const QRegularExpression reportLength(QStringLiteral("^\\d+ bytes"));
        EXPECT_EQ(cells[1].contains(reportLength), d.binary) << cells[0].toStdString();
    }
}

} // namespace
} // namespace digitrace
