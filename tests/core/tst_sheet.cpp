// The sheet: covers arranged on as few sheets as they fit, with cut marks,
// and Sheet.txt; the picture placed on a cover, a disc label's ring, and the
// one-line files of the sheet window's and the placement's choices and of the
// disc's hole.
#include "DataFileFormats.h"
#include "DataRow.h"
#include "DiscFiles.h"
#include "DiscGeometry.h"
#include "Errors.h"
#include "ExpectFailure.h"
#include "PageUnits.h"
#include "PictureFit.h"
#include "SafeFileIO.h"
#include "ScratchFolder.h"
#include "SheetLayout.h"
#include "SheetList.h"

#include <QDir>
#include <QFile>
#include <QTest>

using jftest::row;

namespace {

// A sheet of `portrait` millimetres with even margins, at 1200 dpi.
jf::Paper paper(const QString& name, QSizeF portrait, double margin,
                jf::PaperOrientation chosen = jf::PaperOrientation::Portrait)
{
    jf::Paper p;
    p.name = name;
    p.sizePointsPortrait = portrait / 25.4 * 72;
    const QSizeF area(portrait.width() - 2 * margin, portrait.height() - 2 * margin);
    p.printablePortrait = QRectF(QPointF(margin, margin), area);
    p.printableLandscape = QRectF(QPointF(margin, margin), area.transposed());
    p.orientation = chosen;
    return p;
}

const QSizeF kA4(210, 297);
const QSizeF kLetter(215.9, 279.4);

// The default kinds by name, in millimetres.
QSize pictureOf(const QString& kind)
{
    static const QHash<QString, QSizeF> sizes{{"DVD", {270, 184}},      {"DVD Inside", {130, 184}},
                                              {"CD Front", {121, 121}}, {"CD Inside", {120, 120}},
                                              {"CD Back", {151, 118}},  {"CD Disk", {117, 117}},
                                              {"Wide", {195, 100}},     {"Tall", {100, 195}}};
    const QSizeF mm = sizes.value(kind);
    return QSize(jf::mmToCoverPixels(mm.width()), jf::mmToCoverPixels(mm.height()));
}

// Whether an axis-parallel mark runs through the inside of `r`.
bool crosses(const QLineF& mark, const QRectF& r)
{
    const QRectF span = QRectF(mark.p1(), mark.p2()).normalized();
    return span.right() > r.left() + 0.5 && span.left() < r.right() - 0.5 &&
           span.bottom() > r.top() + 0.5 && span.top() < r.bottom() - 0.5;
}

} // namespace

class TestSheet : public QObject, private jftest::ScratchFolder
{
    Q_OBJECT

private slots:
    void arrangement_data();
    void arrangement();
    void sheetFile();
    void placement_data();
    void placement();
    void sheetLines_data();
    void sheetLines();
    void oneLineSettings_data();
    void oneLineSettings();
    void discRing_data();
    void discRing();
};

void TestSheet::arrangement_data()
{
    using O = jf::PaperOrientation;
    // printedOn: PaperOrientation
    // bleed: mm, covers without a border; else a border of 2
    jftest::columns<jf::Paper, QStringList, bool, int, int, int, int>(
        "sheet", "covers", "calibrated", "sheets", "printedOn", "quarterTurnedCovers", "bleed");
    const QStringList frontBack{"CD Front", "CD Back"};
    const QStringList allCd{"CD Front", "CD Inside", "CD Back", "CD Disk"};
    const jf::Paper a4 = paper("A4", kA4, 4.23);
    const int portrait = int(O::Portrait), landscape = int(O::Landscape);
    row("A4: CD Front + CD Back", paper("A4", kA4, 0), frontBack, false, 1, portrait, 0, 0);
    row("A4 with margins: CD Front + CD Inside", a4, QStringList{"CD Front", "CD Inside"}, false, 1,
        portrait, 0, 0);
    row("A4: the four CD covers", a4, allCd, false, 2, portrait, 0, 0);
    row("A4: DVD + DVD Inside", a4, QStringList{"DVD", "DVD Inside"}, false, 2, landscape, 0, 0);
    row("US Letter: CD Front + CD Back", paper("Letter", kLetter, 6.35), frontBack, false, 1,
        portrait, 0, 0);
    row("A4 landscape chosen: CD Front + CD Back", paper("A4", kA4, 4.23, O::Landscape), frontBack,
        false, 1, landscape, 0, 0);
    row("A4: two DVD Insides side by side on the turned paper", a4,
        QStringList{"DVD Inside", "DVD Inside"}, false, 1, landscape, 0, 0);
    row("A4: a tall cover turned below a wide one", a4, QStringList{"Wide", "Tall"}, false, 1,
        portrait, 1, 0);
    row("A4, calibrated: the four CD covers", a4, allCd, true, 2, portrait, 0, 0);
    row("A4: CD Front + CD Back, bleed 3", a4, frontBack, false, 1, portrait, 0, 3);
    row("A4, calibrated: the four CD covers, bleed 2", a4, allCd, true, 2, portrait, 0, 2);
}

void TestSheet::arrangement()
{
    QFETCH(jf::Paper, sheet);
    QFETCH(QStringList, covers);
    QFETCH(bool, calibrated);
    QFETCH(int, sheets);
    QFETCH(int, printedOn);
    QFETCH(int, quarterTurnedCovers);
    QFETCH(int, bleed);
    std::optional<jf::PrinterCorrection> correction;
    if (calibrated)
        correction = jf::PrinterCorrection{148.5, 101, 1, -1};
    QList<jf::SheetCover> list;
    for (const QString& kind : covers)
        list.append({kind, pictureOf(kind)});
    const jf::SheetPlan plan = jf::arrangeSheet(list, bleed > 0 ? 0 : 2, sheet, correction, bleed);
    QCOMPARE(plan.pages.size(), sheets);
    QCOMPARE(int(plan.orientation), printedOn);

    const double dotsPerMm = 1200 / 25.4;
    const QRectF printable(QPointF(0, 0), plan.printableDots());
    const QRectF tolerance = printable.adjusted(-2, -2, 2, 2);
    const double factorX =
        calibrated
            ? jf::correctionOnPage(*correction, plan.orientation, plan.printable.width()).factorX
            : 1;
    int placed = 0, quarterTurned = 0, marked = 0;
    for (const QList<jf::PlacedFrame>& page : plan.pages) {
        QList<jf::CoverFrame> frames;
        for (const jf::PlacedFrame& p : page) {
            QCOMPARE(p.cover, placed++); // in the order they were added
            frames << p.frame;
            quarterTurned += p.frame.quarterTurned ? 1 : 0;
            QVERIFY(tolerance.contains(p.frame.area));
            // What bleeds reaches that far past the picture on every side.
            const double b = bleed * dotsPerMm;
            QCOMPARE(p.frame.area,
                     bleed > 0 ? p.frame.picture.adjusted(-b, -b, b, b) : p.frame.border);
            // The picture measures what it measures alone: 1/96 inch per
            // pixel, or the true millimetre corrected.
            const QSize pixels = list[p.cover].picture;
            const double across = p.frame.quarterTurned ? pixels.height() : pixels.width();
            const double expected = calibrated ? across / 3.8 * factorX : across * 25.4 / 96;
            QVERIFY2(qAbs(p.frame.picture.width() / dotsPerMm - expected) < 0.01,
                     qPrintable(list[p.cover].name));
        }
        for (qsizetype i = 0; i < frames.size(); ++i)
            for (qsizetype j = i + 1; j < frames.size(); ++j)
                QVERIFY(!frames[i]
                             .area
                             .adjusted(-8 * dotsPerMm, -8 * dotsPerMm, 8 * dotsPerMm, 8 * dotsPerMm)
                             .intersects(frames[j].area));
        const QList<QLineF> marks =
            jf::cutMarks(frames, plan.printableDots(), dotsPerMm, dotsPerMm);
        for (const QLineF& mark : marks) {
            QVERIFY(tolerance.contains(mark.p1()) && tolerance.contains(mark.p2()));
            QVERIFY(mark.length() >= 1 * dotsPerMm - 0.01 && mark.length() <= 5 * dotsPerMm + 0.01);
            // 2 mm clear of every cover, what bleeds included.
            const double clear = 2 * dotsPerMm - 1;
            for (const jf::CoverFrame& frame : frames)
                QVERIFY(!crosses(mark, frame.area.adjusted(-clear, -clear, clear, clear)));
        }
        marked += marks.isEmpty() ? 0 : 1;
    }
    QCOMPARE(placed, covers.size());
    QCOMPARE(quarterTurned, quarterTurnedCovers);
    QCOMPARE(marked, sheets);

    // Too large for the paper either way: the message "Print Cover" gives.
    QCOMPARE(jftest::failureOf<jf::PrinterError>([&] {
                 jf::checkCoverFitsSheet(QSize(2000, 2000), 2, sheet, std::nullopt);
             }).section(QLatin1Char(','), 0, 0),
             QStringLiteral("The cover needs %1 \u00d7 %2 mm")
                 .arg((2000 + 20) * 25.4 / 96, 0, 'f', 1)
                 .arg((2000 + 50) * 25.4 / 96, 0, 'f', 1));
}

void TestSheet::sheetFile()
{
    const QString where = path("Covers.txt");
    const auto bytes = [&] { return get("Covers.txt"); };

    // Missing: an empty sheet, and no file made by reading.
    jf::SheetList sheet;
    QVERIFY(sheet.read(where).isEmpty());
    QVERIFY(sheet.entries().isEmpty());
    QVERIFY(!QFile::exists(where));

    // Round trip: one line per cover, a tab in a path kept.
    const jf::SheetEntry front{5, 121, 121, QString::fromUtf8("/home/a/Fr\u00fcher.jpg")};
    const jf::SheetEntry back{7, 151.5, 118, QStringLiteral("/home/a/tab\there.png")};
    sheet.append(front);
    sheet.append(back);
    sheet.write(where);
    QCOMPARE(bytes(), QString::fromUtf8("5\t121\t121\t/home/a/Fr\u00fcher.jpg\r\n"
                                        "7\t151.5\t118\t/home/a/tab\there.png\r\n")
                          .toUtf8());
    jf::SheetList back2;
    QVERIFY(back2.read(where).isEmpty());
    QCOMPARE(back2.entries(), (QList<jf::SheetEntry>{front, back}));

    // Damaged lines (sizes no cover on the sheet has among them) are
    // reported and kept, after the entries.
    put("Covers.txt",
        "9\t121\t121\t/x.jpg\r\n5\t121\t121\t/a.jpg\r\n5\tabc\t121\t/b.jpg\r\n5\t121\t121\r\n"
        "6\t120\t120\t/c.jpg\n5\t0\t0\t/z.jpg\n5\t1e-300\t121\t/t.jpg\n");
    jf::SheetList damaged;
    QCOMPARE(damaged.read(where), (QList<int>{1, 3, 4, 6, 7}));
    QCOMPARE(damaged.entries().size(), 2);
    damaged.removeAt(0);
    damaged.write(where);
    QCOMPARE(bytes(), QByteArray("6\t120\t120\t/c.jpg\r\n9\t121\t121\t/x.jpg\r\n"
                                 "5\tabc\t121\t/b.jpg\r\n5\t121\t121\r\n5\t0\t0\t/z.jpg\r\n"
                                 "5\t1e-300\t121\t/t.jpg\r\n"));
    // Beyond the ceiling: read up to it, the rest kept in the file, no more
    // added.
    QByteArray many;
    for (int i = 0; i < jf::kMostSheetCovers + 2; ++i)
        many += "5\t121\t" + QByteArray::number(i + 1) + "\t/m.jpg\r\n";
    put("Covers.txt", many);
    jf::SheetList full;
    QVERIFY(full.read(where).isEmpty());
    QCOMPARE(full.entries().size(), jf::kMostSheetCovers);
    QCOMPARE(full.leftOver(), 2);
    QVERIFY_THROWS_EXCEPTION(jf::Error, full.append(front));
    full.write(where);
    QCOMPARE(bytes(), many);

    // A picture path with a line break is no line: refused, the file kept.
    const QByteArray kept = bytes();
    damaged.append({5, 121, 121, QStringLiteral("/two\nlines.jpg")});
    QVERIFY_THROWS_EXCEPTION(jf::Error, damaged.write(where));
    QCOMPARE(bytes(), kept);

    // Not read whole (oversized, a NUL byte, a folder in the way): never
    // written over.
    const auto neverWrittenOver = [&](bool readFails) {
        const QByteArray before = bytes();
        jf::SheetList list;
        if (readFails)
            QVERIFY_THROWS_EXCEPTION(jf::FileStreamError, list.read(where));
        else
            list.read(where);
        list.append(front);
        QVERIFY_THROWS_EXCEPTION(jf::FileStreamError, list.write(where));
        QCOMPARE(bytes(), before);
    };
    QVERIFY(QFile::resize(where, jf::maxListFileBytes + 1)); // sparse: quick to make
    neverWrittenOver(true);
    static constexpr char withNul[] = "5\t121\t121\t/a.jpg\r\n\0hidden\r\n";
    put("Covers.txt", QByteArray(withNul, sizeof withNul - 1));
    neverWrittenOver(false);
    QFile::remove(where);
    QVERIFY(QDir().mkdir(where));
    neverWrittenOver(true);
    QVERIFY(QFileInfo(where).isDir());
}

Q_DECLARE_METATYPE(jf::Crop)

void TestSheet::placement_data()
{
    using F = jf::PictureFit;
    // fit: PictureFit
    // source: picture pixels
    // target: fractions of the box
    jftest::columns<int, QSizeF, QSizeF, jf::Crop, QRectF, QRectF>("fit", "picture", "box", "crop",
                                                                   "source", "target");
    const QSizeF square(1000, 1000), cdBack = pictureOf("CD Back"), photo(6000, 4000),
                                     dvd = pictureOf("DVD"); // 574 x 448, 1026 x 699
    const jf::Crop centred;
    const QRectF whole(0, 0, 1, 1);
    const int stretch = int(F::Stretch), fill = int(F::Fill), fitIn = int(F::Fit);
    row("square on CD Back, stretched", stretch, square, cdBack, centred, QRectF(0, 0, 1000, 1000),
        whole);
    row("square on CD Back, filled", fill, square, cdBack, centred,
        QRectF(0, 109.756, 1000, 780.488), whole);
    row("square on CD Back, fitted", fitIn, square, cdBack, centred, QRectF(0, 0, 1000, 1000),
        QRectF(0.109756, 0, 0.780488, 1));
    row("3:2 on DVD, filled", fill, photo, dvd, centred, QRectF(64.378, 0, 5871.245, 4000), whole);
    row("3:2 on DVD, fitted", fitIn, photo, dvd, centred, QRectF(0, 0, 6000, 4000),
        QRectF(0, 0.010730, 1, 0.978541));
    for (const F fit : {F::Stretch, F::Fill, F::Fit})
        QTest::newRow(qPrintable("the cover's proportions: " + jf::pictureFitName(fit)))
            << int(fit) << QSizeF(2052, 1398) << dvd << centred << QRectF(0, 0, 2052, 1398)
            << whole;
    // The crop never lets paper show: each edge, and the zoom's bounds.
    const auto filled = [&](const char* name, jf::Crop crop, QRectF source) {
        QTest::newRow(name) << int(F::Fill) << square << cdBack << crop << source << whole;
    };
    filled("zoom 2, pushed past the left edge", {-0.3, 0.5, 2}, QRectF(0, 304.878, 500, 390.244));
    filled("zoom 2, past the right edge", {0.9, 0.5, 2}, QRectF(500, 304.878, 500, 390.244));
    filled("zoom 2, past the top", {0.5, 0, 2}, QRectF(250, 0, 500, 390.244));
    filled("zoom 2, past the bottom", {0.5, 1, 2}, QRectF(250, 609.756, 500, 390.244));
    filled("at zoom 1 only up and down", {0, 0.3, 1}, QRectF(0, 0, 1000, 780.488));
    filled("zoom over 8", {0.5, 0.5, 20}, QRectF(437.5, 451.220, 125, 97.561));
    filled("zoom under 1", {0.5, 0.5, 0.2}, QRectF(0, 109.756, 1000, 780.488));
    filled("not a number", {qQNaN(), qInf(), qQNaN()}, QRectF(0, 109.756, 1000, 780.488));
    // Moved by a drag, and zoomed about a point of the cover, which stays put.
    filled("dragged right at zoom 2: the part shown moves left",
           jf::draggedCrop({0.5, 0.5, 2}, square, cdBack, {0.2, 0}),
           QRectF(150, 304.878, 500, 390.244));
    filled("zoomed about the right edge",
           jf::zoomedCrop({0.75, 0.5, 2}, square, cdBack, 2, {1, 0.5}),
           QRectF(750, 402.439, 250, 195.122));
    filled("zoomed out below 1", jf::zoomedCrop({0.3, 0.6, 2}, square, cdBack, 0.25, {0, 0.5}),
           QRectF(0, 209.756, 1000, 780.488));
}

void TestSheet::placement()
{
    QFETCH(int, fit);
    QFETCH(QSizeF, picture);
    QFETCH(QSizeF, box);
    QFETCH(jf::Crop, crop);
    QFETCH(QRectF, source);
    QFETCH(QRectF, target);
    const jf::PlacedPicture placed = jf::placePicture({jf::PictureFit(fit), crop}, picture, box);
    const auto near = [](const QRectF& a, const QRectF& b, double within) {
        return (QLineF(a.topLeft(), b.topLeft()).length() < within &&
                QLineF(a.bottomRight(), b.bottomRight()).length() < within) ||
               (qDebug() << a, false);
    };
    QVERIFY(near(placed.source, source, 0.01) && near(placed.target, target, 1e-5));
    // What is shown keeps the picture's proportions wherever it is placed.
    if (jf::PictureFit(fit) != jf::PictureFit::Stretch)
        QVERIFY(qAbs(placed.source.width() / placed.source.height() -
                     placed.target.width() * box.width() /
                         (placed.target.height() * box.height())) < 1e-6);
}

void TestSheet::sheetLines_data()
{
    // picture: empty: a damaged line, kept as it is
    // written: the line written back
    jftest::columns<QByteArray, QString, QString, QByteArray>("line", "picture", "placement",
                                                              "written");
    row("four old fields: stretched", QByteArray("5\t121\t121\t/a.jpg"), "/a.jpg", "Stretch",
        QByteArray("5\t121\t121\t/a.jpg"));
    row("fitted", QByteArray("7\t151\t118\t/a.jpg\tfit"), "/a.jpg", "Fit",
        QByteArray("7\t151\t118\t/a.jpg\tfit"));
    row("filled, six decimals", QByteArray("1\t270\t184\t/a b.jpg\tfill\t0.3333333333\t1\t1.44"),
        "/a b.jpg", "Fill, 1.4 \u00d7",
        QByteArray("1\t270\t184\t/a b.jpg\tfill\t0.333333\t1\t1.44"));
    row("a tab and a way's name in the path", QByteArray("5\t121\t121\t/x\tfill\ty.jpg\tstretch"),
        "/x\tfill\ty.jpg", "Stretch", QByteArray("5\t121\t121\t/x\tfill\ty.jpg\tstretch"));
    const auto damaged = [](const char* name, const char* tail) {
        row(name, QByteArray("5\t121\t121\t/a.jpg\t") + tail, QString(), QString(), QByteArray());
    };
    damaged("fill without its crop", "fill");
    damaged("a centre with a comma", "fill\t0,5\t0.5\t1");
    damaged("a centre past the picture", "fill\t1.5\t0.5\t1");
    damaged("a zoom under 1", "fill\t0.5\t0.5\t0.5");
    damaged("a zoom over 8", "fill\t0.5\t0.5\t9");
    damaged("fit with a crop", "fit\t0.5");
    damaged("nothing after the way", "stretch\t");
}

void TestSheet::sheetLines()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, picture);
    QFETCH(QString, placement);
    QFETCH(QByteArray, written);
    const QString file = path("Sheet.txt");
    jf::writeWholeFile(file, line + "\r\n");
    jf::SheetList sheet;
    QCOMPARE(sheet.read(file).isEmpty(), !picture.isEmpty()); // else damaged
    if (picture.isEmpty())
        return;
    QCOMPARE(sheet.entries().value(0).picturePath, picture);
    QCOMPARE(jf::placementText(sheet.entries().value(0).placement), placement);
    sheet.write(file);
    QCOMPARE(jf::readSettingsFileBytes(file), written + "\r\n");
}

void TestSheet::oneLineSettings_data()
{
    // content: null: missing
    jftest::columns<QString, QByteArray, QString>("file", "content", "read");
    const QString fit("PictureFit.ins"), sheet("SheetSettings.ins"), disc("Disc.ins");
    row("no PictureFit.ins: stretch", fit, QByteArray(), "stretch");
    row("unknown: stretch", fit, QByteArray("Fill\r\n"), "stretch");
    row("no SheetSettings.ins: marks, no bleed", sheet, QByteArray(), "1 0");
    row("the one line of before", sheet, QByteArray("0\r\n"), "0 0");
    row("bleed 3", sheet, QByteArray("1\r\n3\r\n"), "1 3");
    row("bleed 4: none", sheet, QByteArray("1\r\n4\r\n"), "1 0");
    // The disc's hole: a bad value is the default.
    row("no Disc.ins: hole 41", disc, QByteArray(), "41");
    row("hole 17", disc, QByteArray("17\r\n"), "17");
    row("blanks, no line end", disc, QByteArray(" 22 "), "22");
    row("no hole", disc, QByteArray("0\r\n"), "0");
    row("the largest hole", disc, QByteArray("60\n"), "60");
    row("hole too large", disc, QByteArray("61\r\n"), "41");
    row("negative hole", disc, QByteArray("-1\r\n"), "41");
    row("hole not whole", disc, QByteArray("17.5\r\n"), "41");
}

void TestSheet::oneLineSettings()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, content);
    QFETCH(QString, read);
    const QString where = path(file);
    QDir().rmdir(where);
    jf::forgetNotedFilesForTesting();
    if (!content.isNull())
        put(file, content);
    const auto readBack = [&] {
        if (file == QLatin1String("Disc.ins"))
            return QString::number(jf::readDiscHole(where));
        if (file == QLatin1String("PictureFit.ins"))
            return jf::pictureFitName(jf::readPictureFit(where));
        const jf::SheetSettings sheet = jf::readSheetSettings(where);
        return QStringLiteral("%1 %2").arg(int(sheet.cutMarks)).arg(sheet.bleedMm);
    };
    QCOMPARE(readBack(), read);
    if (file == QLatin1String("Disc.ins")) {
        // Changed by another program since it was read: not written over.
        put(file, "30\r\n");
        QVERIFY(
            jftest::failureOf([&] { jf::writeDiscHole(where, 17); }).contains("Another program"));
        QCOMPARE(readBack(), QString("30"));
        jf::writeDiscHole(where, 17);
        QCOMPARE(readBack(), QString("17"));
        QCOMPARE(jftest::failureOf([&] { jf::writeDiscHole(where, 61); }),
                 QStringLiteral("The hole's diameter must be from 0 to 60 mm"));
    }
    // Unreadable (a folder in the way): told, naming the file.
    QFile::remove(where);
    QVERIFY(QDir().mkdir(where));
    QVERIFY(jftest::failureOf<jf::InOutError>([&] {
                readBack();
            }).startsWith(QStringLiteral("Cannot open file \"%1\"").arg(where)));
}

void TestSheet::discRing_data()
{
    // The box in units of the caller's (here 1 mm, or 2 across where the
    // units differ), the border's edge (empty: none), then the hole and the
    // guides 0.5 units off the edges.
    jftest::columns<QRectF, QSizeF, int, QRectF, QRectF, QRectF, QRectF>(
        "box", "discMm", "holeMm", "border", "hole", "outerGuide", "innerGuide");
    const QRectF box(10, 20, 117, 117), guide(9.5, 19.5, 118, 118), none;
    const QSizeF cd(117, 117);
    row("117 mm, hole 41", box, cd, 41, none, QRectF(48, 58, 41, 41), guide,
        QRectF(48.5, 58.5, 40, 40));
    row("no hole", box, cd, 0, none, none, guide, none);
    row("ellipse 120 x 100, two units a millimetre across", QRectF(0, 0, 240, 100),
        QSizeF(120, 100), 41, none, QRectF(79, 29.5, 82, 41), QRectF(-1, -0.5, 242, 101),
        QRectF(80, 30, 80, 40));
    row("a border ring of 1 mm", box, cd, 60, QRectF(9, 19, 119, 119), QRectF(38.5, 48.5, 60, 60),
        QRectF(8.5, 18.5, 120, 120), QRectF(39, 49, 59, 59));
    row("a hole too small for its guide", box, cd, 1, none, QRectF(68, 78, 1, 1), guide, none);
}

// The ring is the ellipse inscribed in the box with the hole centred, scaled
// with the disc along each axis; the guides lie just outside the edge (the
// border's, when there is one) and just inside the hole.
void TestSheet::discRing()
{
    QFETCH(QRectF, box);
    QFETCH(QSizeF, discMm);
    QFETCH(int, holeMm);
    QFETCH(QRectF, border);
    QFETCH(QRectF, hole);
    QFETCH(QRectF, outerGuide);
    QFETCH(QRectF, innerGuide);
    const jf::DiscRing ring = jf::DiscSize{discMm, holeMm}.ringIn(box);
    QCOMPARE(ring.outer, box);
    QCOMPARE(ring.hole, hole);
    QCOMPARE(ring.hasHole(), !hole.isEmpty());
    const double gapX = box.width() / discMm.width() * 0.5;
    const double gapY = box.height() / discMm.height() * 0.5;
    const jf::DiscGuides guides = jf::discGuides(ring, border, gapX, gapY);
    QCOMPARE(guides.outer, outerGuide);
    QCOMPARE(guides.inner, innerGuide);
}

QTEST_GUILESS_MAIN(TestSheet)
#include "tst_sheet.moc"
