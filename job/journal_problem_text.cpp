#include "job/journal_problem_text.h"

#include <QCoreApplication>

namespace digitrace {
namespace {

// What each fault says. %1 is the line, %2 the value refused, %3 the limit it broke.
struct ProblemText {
    LineFault fault;
    const char *forOperator;
    const char *forLog;
};

constexpr ProblemText kProblemTexts[] = {
    {LineFault::None,
     QT_TRANSLATE_NOOP("digitrace::JournalProblem", "最後の行が途中で切れています。"),
     "it ends inside an entry"},
    {LineFault::Header,
     QT_TRANSLATE_NOOP("digitrace::JournalProblem", "先頭の見出し行が壊れています。"),
     "its header line is damaged"},
    {LineFault::Check, QT_TRANSLATE_NOOP("digitrace::JournalProblem", "%1 行目が壊れています。"),
     "line %1 fails its check"},
    {LineFault::Unreadable,
     QT_TRANSLATE_NOOP("digitrace::JournalProblem", "%1 行目は読めない記録です。"),
     "line %1 is no entry"},
    {LineFault::Scale,
     QT_TRANSLATE_NOOP("digitrace::JournalProblem",
                       "%1 行目の縮尺 1/%2 は正の有限の数ではありません。"),
     "line %1 has the scale 1/%2, not a finite positive number"},
    {LineFault::TabletUnit,
     QT_TRANSLATE_NOOP("digitrace::JournalProblem",
                       "%1 行目のタブレットの単位 %2 mm は範囲外です。"),
     "line %1 has the tablet unit %2 mm, not a number above 0 and up to %3"},
    {LineFault::TooLong,
     QT_TRANSLATE_NOOP("digitrace::JournalProblem",
                       "%1 行目が長すぎるため、その先は読んでいません。"),
     "line %1 is longer than %3 bytes; nothing after it was read"},
    {LineFault::ReadFailed,
     QT_TRANSLATE_NOOP("digitrace::JournalProblem", "%1 行目で読み取りに失敗しました: %2"),
     "reading failed at line %1: %2"},
};

const ProblemText &textOf(LineFault fault) {
    for (const ProblemText &t : kProblemTexts)
        if (t.fault == fault)
            return t;
    return kProblemTexts[0];
}

// Fills %1, %2 and %3 in one pass, so that a value refused never fills a placeholder itself.
QString filled(const QString &text, const std::optional<JournalProblem> &problem) {
    if (!problem)
        return text;
    const QString args[] = {QString::number(problem->line), problem->value,
                            QString::number(problem->fault == LineFault::TabletUnit
                                                ? kLargestTabletUnitMm
                                                : double(kLongestJournalLine))};
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
        if (text[i] == u'%' && next >= u'1' && next <= u'3') {
            out += args[next.unicode() - u'1'];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

LineFault faultOf(const std::optional<JournalProblem> &problem) {
    return problem ? problem->fault : LineFault::None;
}

} // namespace

QString problemTextForOperator(const std::optional<JournalProblem> &problem) {
    return filled(QCoreApplication::translate("digitrace::JournalProblem",
                                              textOf(faultOf(problem)).forOperator),
                  problem);
}

QString problemTextForLog(const std::optional<JournalProblem> &problem) {
    return filled(QString::fromLatin1(textOf(faultOf(problem)).forLog), problem);
}

} // namespace digitrace
