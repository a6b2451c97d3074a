#include "reports/PdfNavigation.h"

#include <QMap>
#include <QRegularExpression>
#include <optional>

namespace {

struct Parsed {
    QMap<int, qsizetype> offsets;
    qsizetype xref = 0;
    int size = 0;
    int root = 0;
    int info = 0;
};

int referenceAfter(const QByteArray& text, const char* key) {
    const QRegularExpression pattern(QString::fromLatin1(key) +
                                     QStringLiteral("\\s+(\\d+)\\s+0\\s+R"));
    const QRegularExpressionMatch match = pattern.match(QString::fromLatin1(text));
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

std::optional<Parsed> parse(const QByteArray& pdf) {
    Parsed parsed;
    const qsizetype start = pdf.lastIndexOf("startxref");
    if (start < 0) {
        return std::nullopt;
    }
    bool ok = false;
    parsed.xref = pdf.mid(start + 9, 32).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok || !pdf.mid(parsed.xref).startsWith("xref")) {
        return std::nullopt;
    }
    const qsizetype trailer = pdf.indexOf("trailer", parsed.xref);
    if (trailer < 0) {
        return std::nullopt;
    }
    const QList<QByteArray> lines = pdf.mid(parsed.xref, trailer - parsed.xref).split('\n');
    int number = -1;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() == 2) {
            number = fields[0].toInt();
        } else if (fields.size() == 3 && number >= 0) {
            if (fields[2] == "n") {
                parsed.offsets.insert(number, fields[0].toLongLong());
            }
            ++number;
        }
    }
    const QByteArray dictionary = pdf.mid(trailer, start - trailer);
    const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("/Size\\s+(\\d+)"))
                                             .match(QString::fromLatin1(dictionary));
    parsed.size = size.hasMatch() ? size.captured(1).toInt() : 0;
    parsed.root = referenceAfter(dictionary, "/Root");
    parsed.info = referenceAfter(dictionary, "/Info");
    if (parsed.size == 0 || !parsed.offsets.contains(parsed.root)) {
        return std::nullopt;
    }
    return parsed;
}

// The text between "N 0 obj" and "endobj" of an object that holds no stream.
QByteArray objectBody(const QByteArray& pdf, const Parsed& parsed, int number) {
    const qsizetype offset = parsed.offsets.value(number, -1);
    if (offset < 0) {
        return {};
    }
    const qsizetype begin = pdf.indexOf("obj", offset);
    const qsizetype end = pdf.indexOf("endobj", offset);
    if (begin < 0 || end < begin || pdf.mid(begin, end - begin).contains("stream")) {
        return {};
    }
    return pdf.mid(begin + 3, end - begin - 3).trimmed();
}

QByteArray number(double value) {
    return QByteArray::number(value, 'f', 2);
}

// Titles as UTF-16 text strings, so any character of a heading shows as written.
QByteArray textString(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text) {
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    }
    return hex + '>';
}

} // namespace

QByteArray addPdfNavigation(const QByteArray& pdf, const QVector<PdfOutlineEntry>& outline,
                            const QVector<PdfLink>& links) {
    const std::optional<Parsed> parsed = parse(pdf);
    if (!parsed) {
        return {};
    }
    const QByteArray catalog = objectBody(pdf, *parsed, parsed->root);
    const QByteArray pagesBody = objectBody(pdf, *parsed, referenceAfter(catalog, "/Pages"));
    const qsizetype kidsBegin = pagesBody.indexOf("/Kids");
    const qsizetype kidsEnd = pagesBody.indexOf(']', kidsBegin);
    if (!catalog.endsWith(">>") || kidsBegin < 0 || kidsEnd < 0) {
        return {};
    }
    QVector<int> pages;
    QVector<double> heights;
    QVector<int> annotations;
    const QRegularExpression reference(QStringLiteral("(\\d+)\\s+0\\s+R"));
    const QRegularExpression mediaBox(
        QStringLiteral("/MediaBox\\s*\\[\\s*[-\\d.]+\\s+[-\\d.]+\\s+[-\\d.]+\\s+([-\\d.]+)"));
    for (const QRegularExpressionMatch& kid : reference.globalMatch(
             QString::fromLatin1(pagesBody.mid(kidsBegin, kidsEnd - kidsBegin)))) {
        const int page = kid.captured(1).toInt();
        const QByteArray body = objectBody(pdf, *parsed, page);
        const QRegularExpressionMatch box = mediaBox.match(QString::fromLatin1(body));
        if (!box.hasMatch()) {
            return {};
        }
        pages << page;
        heights << box.captured(1).toDouble();
        annotations << referenceAfter(body, "/Annots");
    }
    const auto destination = [&](const PdfPlace& place) {
        return '[' + QByteArray::number(pages[place.page]) + " 0 R /XYZ 0 " +
               number(heights[place.page] - place.top) + " null]";
    };
    for (const PdfOutlineEntry& entry : outline) {
        if (entry.place.page < 0 || entry.place.page >= pages.size()) {
            return {};
        }
    }
    for (const PdfLink& link : links) {
        if (link.page < 0 || link.page >= pages.size() || link.target.page < 0 ||
            link.target.page >= pages.size() || annotations[link.page] == 0) {
            return {};
        }
    }

    QMap<int, QByteArray> objects;
    int next = parsed->size;
    const int root = next++;
    const int first = next;
    next += int(outline.size());

    // Each entry's parent is the nearest entry before it of a lower level.
    QVector<int> parent(outline.size(), -1);
    QVector<int> children(outline.size(), 0);
    for (qsizetype i = 0; i < outline.size(); ++i) {
        for (qsizetype j = i - 1; j >= 0; --j) {
            if (outline[j].level < outline[i].level) {
                parent[i] = int(j);
                break;
            }
        }
        if (parent[i] >= 0) {
            ++children[parent[i]];
        }
    }
    const auto objectOf = [&](qsizetype index) { return index < 0 ? root : first + int(index); };
    int topLevel = 0;
    for (qsizetype i = 0; i < outline.size(); ++i) {
        qsizetype previous = -1;
        qsizetype following = -1;
        qsizetype firstChild = -1;
        qsizetype lastChild = -1;
        for (qsizetype j = i - 1; j >= 0 && previous < 0; --j) {
            if (parent[j] == parent[i]) {
                previous = j;
            }
            if (j == parent[i]) {
                break;
            }
        }
        for (qsizetype j = i + 1; j < outline.size(); ++j) {
            if (parent[j] == i) {
                firstChild = firstChild < 0 ? j : firstChild;
                lastChild = j;
            }
            if (parent[j] == parent[i] && following < 0) {
                following = j;
            }
        }
        QByteArray item = "<<\n/Title " + textString(outline[i].title) + "\n/Parent " +
                          QByteArray::number(objectOf(parent[i])) + " 0 R";
        if (previous >= 0) {
            item += "\n/Prev " + QByteArray::number(objectOf(previous)) + " 0 R";
        }
        if (following >= 0) {
            item += "\n/Next " + QByteArray::number(objectOf(following)) + " 0 R";
        }
        if (firstChild >= 0) {
            // Chapters start closed, so the outline opens as the list of chapters.
            item += "\n/First " + QByteArray::number(objectOf(firstChild)) + " 0 R\n/Last " +
                    QByteArray::number(objectOf(lastChild)) + " 0 R\n/Count -" +
                    QByteArray::number(children[i]);
        }
        item += "\n/Dest " + destination(outline[i].place) + "\n>>";
        objects.insert(objectOf(i), item);
        topLevel += parent[i] < 0 ? 1 : 0;
    }
    QByteArray outlines = "<<\n/Type /Outlines";
    if (!outline.isEmpty()) {
        qsizetype last = 0;
        for (qsizetype i = 0; i < outline.size(); ++i) {
            last = parent[i] < 0 ? i : last;
        }
        outlines += "\n/First " + QByteArray::number(first) + " 0 R\n/Last " +
                    QByteArray::number(objectOf(last)) + " 0 R";
    }
    outlines += "\n/Count " + QByteArray::number(topLevel) + "\n>>";
    objects.insert(root, outlines);
    objects.insert(parsed->root, catalog.left(catalog.size() - 2).trimmed() + "\n/Outlines " +
                                     QByteArray::number(root) + " 0 R\n/PageMode /UseOutlines\n>>");

    // Each page lists its annotations in an array object of its own: the links join it.
    QMap<int, QByteArray> arrays;
    for (const PdfLink& link : links) {
        const int array = annotations[link.page];
        if (!arrays.contains(array)) {
            QByteArray old = objectBody(pdf, *parsed, array);
            if (!old.startsWith('[') || !old.endsWith(']')) {
                return {};
            }
            arrays.insert(array, old.mid(1, old.size() - 2).trimmed());
        }
        const double height = heights[link.page];
        const int annotation = next++;
        objects.insert(annotation,
                       "<<\n/Type /Annot\n/Subtype /Link\n/Rect [" + number(link.area.left()) +
                           ' ' + number(height - link.area.bottom()) + ' ' +
                           number(link.area.right()) + ' ' + number(height - link.area.top()) +
                           "]\n/Border [0 0 0]\n/Dest " + destination(link.target) + "\n>>");
        arrays[array] += ' ' + QByteArray::number(annotation) + " 0 R";
    }
    for (auto it = arrays.cbegin(); it != arrays.cend(); ++it) {
        objects.insert(it.key(), "[ " + it.value().trimmed() + " ]");
    }

    QByteArray result = pdf;
    if (!result.endsWith('\n')) {
        result += '\n';
    }
    QMap<int, qsizetype> offsets;
    for (auto it = objects.cbegin(); it != objects.cend(); ++it) {
        offsets.insert(it.key(), result.size());
        result += QByteArray::number(it.key()) + " 0 obj\n" + it.value() + "\nendobj\n";
    }
    const qsizetype xref = result.size();
    result += "xref\n";
    for (auto it = offsets.cbegin(); it != offsets.cend(); ++it) {
        result += QByteArray::number(it.key()) + " 1\n" +
                  QByteArray::number(it.value()).rightJustified(10, '0') + " 00000 n \n";
    }
    result += "trailer\n<<\n/Size " + QByteArray::number(next) + "\n/Root " +
              QByteArray::number(parsed->root) + " 0 R";
    if (parsed->info != 0) {
        result += "\n/Info " + QByteArray::number(parsed->info) + " 0 R";
    }
    result += "\n/Prev " + QByteArray::number(parsed->xref) + "\n>>\nstartxref\n" +
              QByteArray::number(xref) + "\n%%EOF\n";
    return result;
}
