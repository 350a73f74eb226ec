#include "app/ReportDocument.h"

#include <optional>
#include <vector>

#include <QBrush>
#include <QColor>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace vantrel {

namespace {

// A stretch of one member line in one format. Its characters lie in ReportPage::text.
struct Run {
    qsizetype start = 0;
    qsizetype size = 0;
    bool blue = false;
};

// A member line: runs [firstRun, endRun) of the page, and whether its last character is blue.
struct Line {
    size_t firstRun = 0;
    size_t endRun = 0;
    bool endsBlue = false;
};

struct Section {
    qsizetype captionStart = 0;
    qsizetype captionSize = 0;
    bool monospace = false;          // the lines stand in <code>
    bool afterEmptyCode = false;     // the section before held <code></code> and nothing else
    std::vector<Line> lines;
};

// A member report page as read from its HTML: the texts as shown, white space collapsed.
struct ReportPage {
    QString title;
    QString text;
    qsizetype headingSize = 0;  // the heading is text's start
    std::vector<Run> runs;
    std::vector<Section> sections;
};

bool IsAsciiSpace(QChar c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// Reads a page written by the member report, tag by tag, and gives up at anything else: any
// other tag, attribute, entity or layout of tags, or a character the HTML reader treats in a
// way of its own (control characters, other white space, a stray '>').
class PageReader {
public:
    explicit PageReader(QStringView html) : rest_(html) {}

    std::optional<ReportPage> read() {
        if (!take(u"<html>")) return std::nullopt;
        skipSpace();
        if (!take(u"<head><title>") || !readTitle() || !take(u"</title></head><h3>"))
            return std::nullopt;
        bool spaceBefore = true;
        if (!readText(spaceBefore) || page_.text.isEmpty() || !take(u"</h3><p>"))
            return std::nullopt;
        page_.headingSize = page_.text.size();
        skipSpace();
        return readSections() ? std::optional<ReportPage>(std::move(page_)) : std::nullopt;
    }

private:
    bool take(QStringView piece) {
        if (!rest_.startsWith(piece)) return false;
        rest_ = rest_.mid(piece.size());
        return true;
    }

    void skipSpace() {
        while (!rest_.isEmpty() && IsAsciiSpace(rest_.front())) rest_ = rest_.mid(1);
    }

    // "&amp;", "&lt;" or "&gt;" at the start of rest_, taken; a null QChar for anything else.
    QChar takeEntity() {
        if (take(u"&amp;")) return u'&';
        if (take(u"&lt;")) return u'<';
        if (take(u"&gt;")) return u'>';
        return QChar();
    }

    // The title as the reader keeps it: entities decoded, blanks as written.
    bool readTitle() {
        while (!rest_.isEmpty() && rest_.front() != u'<') {
            const QChar c = rest_.front() == u' ' ? takeChar() : takeTextChar();
            if (c.isNull()) return false;
            page_.title += c;
        }
        return true;
    }

    QChar takeChar() {
        const QChar c = rest_.front();
        rest_ = rest_.mid(1);
        return c;
    }

    // A character of text other than white space, with entities decoded; a null QChar for
    // what the reader might show otherwise.
    QChar takeTextChar() {
        if (rest_.front() == u'>') return QChar();
        const QChar c = rest_.front() == u'&' ? takeEntity() : takeChar();
        return c < u' ' || c.isSpace() ? QChar() : c;
    }

    // The text up to the next tag, appended to page_.text as the reader shows it: entities
    // decoded, each stretch of white space one blank, none where a line starts
    // (`spaceBefore` holds whether the text shown so far ends a line or a blank).
    bool readText(bool& spaceBefore) {
        while (!rest_.isEmpty() && rest_.front() != u'<') {
            if (IsAsciiSpace(rest_.front())) {
                rest_ = rest_.mid(1);
                if (!spaceBefore) page_.text += u' ';
                spaceBefore = true;
                continue;
            }
            const QChar c = takeTextChar();
            if (c.isNull()) return false;
            page_.text += c;
            spaceBefore = false;
        }
        return true;
    }

    // Captioned sections: each one's member lines in <code> but the last one's, which ends
    // the page.
    bool readSections() {
        bool afterEmptyCode = false;
        while (take(u"<b><u>")) {
            Section section;
            section.afterEmptyCode = afterEmptyCode;
            section.captionStart = page_.text.size();
            bool spaceBefore = true;
            if (!readText(spaceBefore) || !take(u"</u></b><p>")) return false;
            section.captionSize = page_.text.size() - section.captionStart;
            if (section.captionSize == 0) return false;
            skipSpace();
            section.monospace = take(u"<code>");
            if (!readLines(section)) return false;
            afterEmptyCode = section.lines.empty();
            page_.sections.push_back(std::move(section));
            if (page_.sections.back().monospace) {
                if (!take(u"</code><p>")) return false;
                continue;
            }
            return take(u"<p></html>") && rest_.isEmpty();
        }
        return false;
    }

    // Member lines, each ended by a line break: runs of text, plain or in a blue font.
    bool readLines(Section& section) {
        bool spaceBefore = true;
        size_t firstRun = page_.runs.size();
        bool endsBlue = false;
        for (;;) {
            const bool blue = take(u"<font color=blue>");
            if (blue || (!rest_.isEmpty() && rest_.front() != u'<')) {
                const qsizetype start = page_.text.size();
                if (!readText(spaceBefore) || (blue && !take(u"</font>"))) return false;
                if (page_.text.size() == start) continue;
                page_.runs.push_back({start, page_.text.size() - start, blue});
                endsBlue = blue;
            } else if (take(u"<br>") || take(u"<BR>")) {
                if (page_.runs.size() == firstRun) return false;
                section.lines.push_back({firstRun, page_.runs.size(), endsBlue});
                firstRun = page_.runs.size();
                spaceBefore = true;
            } else {
                return page_.runs.size() == firstRun;
            }
        }
    }

    QStringView rest_;
    ReportPage page_;
};

// The formats the HTML reader gives the report's tags.
QTextBlockFormat ParagraphBlock(qreal top, qreal bottom) {
    QTextBlockFormat format;
    format.setLayoutDirection(Qt::LeftToRight);
    format.setTopMargin(top);
    format.setBottomMargin(bottom);
    return format;
}

QTextBlockFormat HeadingBlock() {
    QTextBlockFormat format = ParagraphBlock(14, 12);
    format.setHeadingLevel(3);
    return format;
}

QTextCharFormat HeadingChars() {
    QTextCharFormat format;
    format.setProperty(QTextFormat::FontSizeAdjustment, 1);
    format.setFontWeight(QFont::Bold);
    return format;
}

QTextBlockFormat CaptionBlock(bool afterEmptyCode) {
    QTextBlockFormat format = ParagraphBlock(12, 12);
    // The reader marks a paragraph after an empty <code> as not indented.
    if (afterEmptyCode) format.setIndent(0);
    return format;
}

QTextCharFormat CaptionChars() {
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    format.setProperty(QTextFormat::FontUnderline, true);
    format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    return format;
}

// The empty paragraph that ends the page.
QTextBlockFormat EndBlock() {
    QTextBlockFormat format;
    format.setIndent(0);
    return format;
}

QTextCharFormat LineChars(bool monospace, bool blue) {
    QTextCharFormat format;
    if (monospace) format.setFontFamilies(QStringList{QStringLiteral("monospace")});
    if (blue) format.setForeground(QBrush(QColor(0, 0, 255)));
    return format;
}

class PageBuilder {
public:
    PageBuilder(QTextDocument& document, const ReportPage& page)
        : cursor_(&document), page_(page) {}

    void build() {
        cursor_.beginEditBlock();
        cursor_.setBlockFormat(HeadingBlock());
        cursor_.setBlockCharFormat(HeadingChars());
        insert(0, page_.headingSize, HeadingChars());
        for (const Section& section : page_.sections) addSection(section);
        cursor_.insertBlock(EndBlock(), QTextCharFormat());
        cursor_.endEditBlock();
    }

private:
    void insert(qsizetype start, qsizetype size, const QTextCharFormat& format) {
        cursor_.insertText(QString::fromRawData(page_.text.constData() + start, size), format);
    }

    // The caption, then one block per line and an empty one after them, as a paragraph of
    // lines split at its line breaks: the paragraph's space above the first line, its space
    // below the empty block, each line's block taking the format its break had.
    void addSection(const Section& section) {
        cursor_.insertBlock(CaptionBlock(section.afterEmptyCode), QTextCharFormat());
        insert(section.captionStart, section.captionSize, CaptionChars());
        const QTextCharFormat formats[2] = {LineChars(section.monospace, false),
                                            LineChars(section.monospace, true)};
        QTextCharFormat blockChars;
        qreal top = 12;
        for (const Line& line : section.lines) {
            cursor_.insertBlock(ParagraphBlock(top, 0), blockChars);
            for (size_t i = line.firstRun; i < line.endRun; ++i) {
                const Run& run = page_.runs[i];
                insert(run.start, run.size, formats[run.blue]);
            }
            blockChars = formats[line.endsBlue];
            top = 0;
        }
        if (!section.lines.empty()) cursor_.insertBlock(ParagraphBlock(0, 12), blockChars);
    }

    QTextCursor cursor_;
    const ReportPage& page_;
};

// Gives the line at `position` (just after a line break) a block of its own with the block
// format of the lines around it, without their space above and below.
void BreakBlockAt(QTextCursor& cursor, int position) {
    // A selection, not deleteChar, which would find character boundaries in the whole block.
    cursor.setPosition(position - 1);
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    QTextBlockFormat inner = cursor.blockFormat();
    const qreal below = inner.bottomMargin();
    inner.setBottomMargin(0);
    cursor.setBlockFormat(inner);
    inner.setTopMargin(0);
    inner.setBottomMargin(below);
    cursor.insertBlock(inner);
}

// The control lays a paragraph out whole before it shows any of it, but paragraphs only as
// far as they are shown: each line becomes a paragraph of its own, looking the same.
void LinesToBlocks(QTextDocument& page) {
    QTextCursor cursor(&page);
    cursor.beginEditBlock();
    for (QTextBlock block = page.lastBlock(); block.isValid(); block = block.previous()) {
        const QString text = block.text();
        for (qsizetype at = text.lastIndexOf(QChar::LineSeparator); at >= 0;
             at = at > 0 ? text.lastIndexOf(QChar::LineSeparator, at - 1) : -1)
            BreakBlockAt(cursor, block.position() + static_cast<int>(at) + 1);
    }
    cursor.endEditBlock();
}

}  // namespace

bool FillReportPage(QTextDocument& page, QStringView html) {
    const std::optional<ReportPage> report = PageReader(html).read();
    if (!report) return false;
    // As the HTML reader does: no undo steps for the page's content.
    page.setUndoRedoEnabled(false);
    PageBuilder(page, *report).build();
    page.setUndoRedoEnabled(true);
    page.setMetaInformation(QTextDocument::DocumentTitle, report->title);
    return true;
}

void FillPageFromHtml(QTextDocument& page, const QString& html) {
    page.setHtml(html);
    LinesToBlocks(page);
}

void FillPage(QTextDocument& page, const QString& html) {
    if (!FillReportPage(page, html)) FillPageFromHtml(page, html);
}

}  // namespace vantrel
