// Playing image set files and icon libraries. Pictures are drawn here with QImage, icons are
// packed by icotool (icoutils) and icon libraries laid out by the NE helper of tests/iconfile.
#include "app/commands.h"
#include "gui/guitable.h"
#include "iconfile/nemodule.h"
#include "imagesets/customset.h"
#include "imagesets/imageset.h"
#include "imagesets/imsformat.h"
#include "platform/picturefile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <set>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace gemino;

namespace {

constexpr int kIcons = 50;
constexpr int kPictures = 26;

QByteArray I32(std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    QByteArray b;
    for (int shift = 0; shift < 32; shift += 8) {
        b.append(static_cast<char>((u >> shift) & 0xFF));
    }
    return b;
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Icon k is filled with a red level that names it.
QRgb IconColor(int k) {
    return qRgb(10 + 4 * k, 200, 60);
}

int IconNumber(const QIcon& icon) {
    if (icon.isNull()) {
        return -1;
    }
    const QImage image = icon.pixmap(QSize(32, 32)).toImage();
    return (qRed(image.pixel(16, 16)) - 10) / 4;
}

std::vector<int> ShuffledPositions(int n, int keep, std::uint32_t state) {
    Random random;
    random.setState(state);
    std::vector<int> positions(static_cast<std::size_t>(n));
    std::iota(positions.begin(), positions.end(), 0);
    for (int i = 0; i < n; ++i) {
        std::swap(positions[i], positions[random.RandomFrom1To(n) - 1]);
    }
    positions.resize(static_cast<std::size_t>(keep));
    return positions;
}

std::vector<CSetImage*> Images(ImageSet& set) {
    std::vector<CSetImage*> images;
    for (int i = 0; i < set.ImageCount(); ++i) {
        images.push_back(set.image(i));
    }
    return images;
}

// A 1 x 1 red GIF: Qt reads GIF but cannot write it.
const QByteArray kGif = QByteArray::fromHex("474946383961010001008000"
                                            "00ff00000000002c0000000001000100000202440100"
                                            "3b");

struct Shown {
    MessageIcon icon;
    QString caption;
    QString text;
};

// A main window whose stored choice is a custom set, started the way the program starts.
struct StartedWith {
    StartedWith(const QString& customPath, int columns) {
        settings.standardSetName.clear();
        settings.customSetPath = customPath.toStdString();
        settings.columns = columns;
        ProcessRandom().setState(1);
        window = std::make_unique<MainWindow>(settings, store, sound);
        window->board()->setTimeScale(0);
    }

    MemorySettingsStore store;
    GameSettings settings;
    RecordingSound sound;
    std::unique_ptr<MainWindow> window;
};

} // namespace

class TestCustomSets : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::vector<Shown> shown_;
    QString answer_;
    int dialogs_ = 0;
    std::function<void(QFileDialog&)> inspect_;

    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Picture(int k) const { return Path(QString("pics/pic%1.png").arg(k)); }
    QString Icon(int k) const { return Path(QString("icons/icon%1.ico").arg(k)); }

    // Writes a set with the writer: sources[k] with text "T<k>".
    QString WriteSet(const QString& name, const QStringList& sources) {
        std::vector<ImsEntry> entries;
        for (int k = 0; k < sources.size(); ++k) {
            entries.push_back({0, sources[k].toStdString(), "T" + std::to_string(k)});
        }
        const QString path = Path(name);
        if (!SaveImageSetFile(path.toStdString(), entries).ok()) {
            qFatal("cannot write %s", qPrintable(path));
        }
        return path;
    }

    QStringList Pictures(int from, int count) const {
        QStringList list;
        for (int k = from; k < from + count; ++k) {
            list << Picture(k);
        }
        return list;
    }

    QString WriteLibrary(const QString& name, int icons) {
        std::vector<test::NeGroup> groups;
        for (int k = 0; k < icons; ++k) {
            const QByteArray ico = ReadAll(Icon(k));
            groups.push_back({"", static_cast<std::uint16_t>(k + 1),
                              std::vector<unsigned char>(ico.begin(), ico.end())});
        }
        const auto module = test::BuildNeModule(groups, 4);
        const QString path = Path(name);
        WriteAll(path, QByteArray(reinterpret_cast<const char*>(module.data()),
                                  static_cast<qsizetype>(module.size())));
        return path;
    }

    // Chooses `path` in the command's dialog.
    void Choose(GuiTable& t, const QString& path) {
        answer_ = path;
        t.action(command::UseCustomImageSet)->trigger();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir().mkpath(Path("pics")));
        QVERIFY(QDir().mkpath(Path("icons")));
        for (int k = 0; k < kPictures; ++k) {
            // Fine stripes, so a picture stretched from another size is told from one loaded at
            // the size it is drawn.
            QImage image(120, 120, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(k * 13 % 360, 200, 220));
            QPainter p(&image);
            p.setPen(Qt::black);
            for (int x = 0; x < 120; x += 3) {
                p.drawLine(x, 0, x, 119);
            }
            p.end();
            QVERIFY(image.save(Picture(k), "PNG"));
        }

        const QString icotool = QStandardPaths::findExecutable("icotool");
        QVERIFY2(!icotool.isEmpty(), "icotool (package icoutils) makes the icon fixtures");
        for (int k = 0; k < kIcons; ++k) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(IconColor(k));
            const QString png = Path(QString("icons/icon%1.png").arg(k));
            QVERIFY(image.save(png, "PNG"));
            QProcess process;
            process.start(icotool, {"-c", "-b", "32", "-o", Icon(k), png});
            QVERIFY(process.waitForFinished(30000));
            QCOMPARE(process.exitCode(), 0);
        }
        WriteLibrary("lib7.icl", 7);
        WriteLibrary("lib50.icl", 50);
        WriteLibrary("lib1.icl", 1);
        QVERIFY(QFile::copy(Path("lib7.icl"), Path("CAPS.ICL")));
        QVERIFY(WriteAll(Path("text.icl"), "not an icon library\n"));
    }

    void init() {
        shown_.clear();
        answer_.clear();
        dialogs_ = 0;
        inspect_ = nullptr;
        SetMessageBoxHook(
            [this](QWidget*, MessageIcon icon, const QString& caption, const QString& text) {
                shown_.push_back({icon, caption, text});
            });
        SetFileDialogHook([this](QFileDialog& dialog) {
            ++dialogs_;
            if (inspect_) {
                inspect_(dialog);
            }
            return answer_;
        });
    }

    void cleanup() {
        SetMessageBoxHook(nullptr);
        SetFileDialogHook(nullptr);
    }

    // --- the image set file loader ---

    void entriesKeepFileOrderAndTexts() {
        QVERIFY(QDir().mkpath(Path("order/folder.png")));
        std::vector<ImsEntry> entries = {
            {0, Picture(0).toStdString(), "Apple"},
            {0, Path("order/gone.png").toStdString(), "Gone"},
            {2, WriteLibrary("order/lib.icl", 3).toStdString(), ""},
            {0, Path("order/folder.png").toStdString(), "Folder"},
            {0, Picture(1).toStdString(), "ME_none"},
        };
        const QString path = Path("order/set.ims");
        QVERIFY(SaveImageSetFile(path.toStdString(), entries).ok());

        ImageSet set;
        Random random;
        random.setState(5);
        const SetLoad load = LoadImageSetFile(set, path, 50, random);
        QVERIFY(load.ok());
        QCOMPARE(load.count, 3);
        QCOMPARE(set.ImageCount(), 3);
        QCOMPARE(set.image(0)->text, QString("Apple"));
        QVERIFY(set.image(0)->isBitmap);
        QCOMPARE(set.image(0)->path, Picture(0));
        QCOMPARE(set.image(1)->text, QString());
        QVERIFY(!set.image(1)->isBitmap);
        QCOMPARE(set.image(1)->index, 2);
        QCOMPARE(IconNumber(set.image(1)->icon), 2);
        QCOMPARE(set.image(2)->text, QString());
        QCOMPARE(set.image(2)->path, Picture(1));
        QCOMPARE(random.state(), 5u); // no draw for a set of 20 or fewer
    }

    void pictureOrIconByExtension_data() {
        QTest::addColumn<QString>("name");    // file made in a folder of its own
        QTest::addColumn<QString>("content"); // png bmp jpg gif svg ico icl junk
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("bitmap");
        QTest::addColumn<bool>("picture");
        QTest::newRow(".bmp") << "a.bmp"
                              << "bmp" << 0 << true << true;
        QTest::newRow(".BMP") << "a.BMP"
                              << "bmp" << 0 << true << true;
        QTest::newRow(".jpg") << "a.jpg"
                              << "jpg" << 0 << true << true;
        QTest::newRow(".JPEG") << "a.JPEG"
                               << "jpg" << 0 << true << true;
        QTest::newRow(".png") << "a.png"
                              << "png" << 0 << true << true;
        QTest::newRow(".Gif") << "a.Gif"
                              << "gif" << 0 << true << true;
        QTest::newRow(".svg") << "a.svg"
                              << "svg" << 0 << true << true;
        QTest::newRow(".ico") << "a.ico"
                              << "ico" << 0 << false << true;
        QTest::newRow("no extension") << "icon"
                                      << "ico" << 0 << false << true;
        QTest::newRow(".icl by index") << "a.icl"
                                       << "icl" << 1 << false << true;
        QTest::newRow("index beyond the icons") << "a.icl"
                                                << "icl" << 9 << false << false;
        QTest::newRow("dot only in a folder name") << "pictures.bmp/cat"
                                                   << "ico" << 0 << false << true;
        QTest::newRow("picture in a dotted folder, no extension") << "set.d/picture"
                                                                  << "png" << 0 << false << false;
        QTest::newRow("unreadable picture") << "broken.png"
                                            << "junk" << 0 << false << false;
    }
    void pictureOrIconByExtension() {
        QFETCH(QString, name);
        QFETCH(QString, content);
        QFETCH(int, index);
        QFETCH(bool, bitmap);
        QFETCH(bool, picture);

        const QString folder = Path("kinds/" + QString(QTest::currentDataTag()));
        QDir(folder).removeRecursively();
        const QString source = folder + "/" + name;
        QVERIFY(QDir().mkpath(QFileInfo(source).path()));
        QImage red(64, 64, QImage::Format_RGB32);
        red.fill(Qt::red);
        if (content == "png" || content == "bmp" || content == "jpg") {
            QVERIFY(red.save(source, content.toUpper().toLatin1().constData()));
        } else if (content == "gif") {
            QVERIFY(WriteAll(source, kGif));
        } else if (content == "svg") {
            QVERIFY(WriteAll(source,
                             "<svg xmlns='http://www.w3.org/2000/svg' width='10' "
                             "height='10'><rect width='10' height='10' fill='red'/></svg>"));
        } else if (content == "ico") {
            QVERIFY(QFile::copy(Icon(4), source));
        } else if (content == "icl") {
            QVERIFY(QFile::copy(Path("lib7.icl"), source));
        } else {
            QVERIFY(WriteAll(source, "junk"));
        }
        const QString set = folder + "/set.ims";
        QVERIFY(SaveImageSetFile(set.toStdString(), {{index, source.toStdString(), "Text"}}).ok());

        ImageSet images;
        const SetLoad load = LoadImageSetFile(images, set, 70, ProcessRandom());
        QVERIFY(load.ok());
        QCOMPARE(load.count, 1); // an image without a picture still counts
        const CSetImage* image = images.image(0);
        QCOMPARE(image->isBitmap, bitmap);
        QCOMPARE(image->hasPicture(), picture);
        QCOMPARE(image->text, QString("Text"));
        if (bitmap) {
            QCOMPARE(image->bitmap.size(), QSize(70, 70));
        } else if (picture && content == "ico") {
            QCOMPARE(IconNumber(image->icon), 4);
        } else if (picture) {
            QCOMPARE(IconNumber(image->icon), index);
        }
    }

    void sourcesThatAreNotRegularFilesAreSkipped_data() {
        QTest::addColumn<QString>("source");
        QTest::newRow("missing") << "@/missing.png";
        QTest::newRow("folder") << "@/folder.ico";
        QTest::newRow("wildcard matching a file") << "@/real*.png";
        QTest::newRow("empty path") << "";
#ifdef Q_OS_UNIX
        QTest::newRow("FIFO") << "@/fifo.ico";
        QTest::newRow("device") << "/dev/null";
#endif
    }
    void sourcesThatAreNotRegularFilesAreSkipped() {
        QFETCH(QString, source);
        const QString folder = Path("skipped");
        if (!QFileInfo::exists(folder)) {
            QVERIFY(QDir().mkpath(folder + "/folder.ico"));
            QVERIFY(QFile::copy(Picture(2), folder + "/real1.png"));
#ifdef Q_OS_UNIX
            QCOMPARE(::mkfifo(QFile::encodeName(folder + "/fifo.ico").constData(), 0600), 0);
#endif
        }
        source.replace("@", folder);
        const QString set =
            WriteSet("skipped/set.ims", {Picture(3), source, Picture(4)}); // T0, T1, T2

        ImageSet images;
        const SetLoad load = LoadImageSetFile(images, set, 50, ProcessRandom());
        QVERIFY(load.ok());
        QCOMPARE(load.count, 2);
        QCOMPARE(images.image(0)->text, QString("T0"));
        QCOMPARE(images.image(1)->text, QString("T2"));
    }

    void moreThanTwentyUsableEntriesGiveARandomTwenty() {
        QStringList sources = Pictures(0, kPictures);
        sources.insert(3, Path("missing.png"));
        const QString set = WriteSet("many.ims", sources);

        std::vector<int> expected;
        for (int position : ShuffledPositions(kPictures, 20, 77)) {
            expected.push_back(position);
        }
        std::sort(expected.begin(), expected.end());

        ImageSet images;
        Random random;
        random.setState(77);
        const SetLoad load = LoadImageSetFile(images, set, 50, random);
        QVERIFY(load.ok());
        QCOMPARE(load.count, 20);
        for (int i = 0; i < 20; ++i) {
            // Entry k of the usable list is picture k; the missing entry is T3.
            const int picture = expected[i];
            QCOMPARE(images.image(i)->path, Picture(picture));
            QCOMPARE(images.image(i)->text,
                     QString("T%1").arg(picture < 3 ? picture : picture + 1));
        }

        // Another load, another selection.
        ImageSet again;
        LoadImageSetFile(again, set, 50, random);
        QStringList first, second;
        for (int i = 0; i < 20; ++i) {
            first << images.image(i)->path;
            second << again.image(i)->path;
        }
        QVERIFY(first != second);
    }

    void unreadableSetFiles_data() {
        QTest::addColumn<QByteArray>("bytes"); // "dir" and "fifo" make such an entry instead
        QTest::addColumn<QString>("problem");
        QTest::newRow("count larger than the file")
            << I32(5) + I32(0) + "/a.png\nA\n"
            << "It ends after 1 of the 5 images it announces.";
        QTest::newRow("huge count, short file")
            << I32(0x7FFFFFFF) << "It ends after 0 of the 2147483647 images it announces.";
        QTest::newRow("empty file") << QByteArray() << "The file is empty.";
        QTest::newRow("cut in the count")
            << QByteArray("\x02\x00", 2)
            << "It is too short to hold even the number of its images.";
        QTest::newRow("line too long")
            << I32(1) + I32(0) + QByteArray(200000, 'x') + "\n"
            << "It holds a line far too long for a file name or a text, so it is not an image set.";
        QTest::newRow("missing") << QByteArray("missing") << "The file does not exist.";
        QTest::newRow("folder") << QByteArray("dir") << "It is not a file.";
#ifdef Q_OS_UNIX
        QTest::newRow("FIFO") << QByteArray("fifo") << "It is not a file.";
#endif
    }
    void unreadableSetFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        const QString path = Path("broken/" + QString(QTest::currentDataTag()) + ".ims");
        QVERIFY(QDir().mkpath(Path("broken")));
        if (bytes == "dir") {
            QVERIFY(QDir().mkpath(path));
#ifdef Q_OS_UNIX
        } else if (bytes == "fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
        } else if (bytes != "missing") {
            QVERIFY(WriteAll(path, bytes));
        }

        GuiTable t(8);
        const std::vector<CSetImage*> before = Images(t.board()->images());
        const auto cells = t.state().cellImage;
        const int writes = t.store.writeCount();
        Choose(t, path);

        QCOMPARE(static_cast<int>(shown_.size()), 1);
        QCOMPARE(shown_[0].icon, MessageIcon::Warning);
        QCOMPARE(shown_[0].caption, QString("Image Set Not Loaded"));
        QCOMPARE(shown_[0].text, QString("Gemino could not read the image set\n%1\n\n%2\n\nThe "
                                         "images in play are kept.")
                                     .arg(QDir::toNativeSeparators(path), problem));
        // The set in play, its deal and the stored choice are untouched.
        QCOMPARE(Images(t.board()->images()), before);
        QCOMPARE(t.state().cellImage, cells);
        QCOMPARE(t.store.writeCount(), writes);
        QCOMPARE(t.settings.standardSetName, std::string("misc"));
        QCOMPARE(t.settings.customSetPath, std::string());
        QVERIFY(!t.action(command::UseCustomImageSet)->isChecked());
        QVERIFY(t.action(command::MiscSet)->isChecked());
    }

    void tooFewImagesKeepTheSetInPlay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("text");
        QTest::newRow("set with one usable image")
            << "one.ims"
            << "The image set\n%1\nnames only one image file that can be found.";
        QTest::newRow("set whose files are all gone")
            << "gone.ims"
            << "The image set\n%1\nnames no image file that can be found.";
        QTest::newRow("set of no entries")
            << "empty.ims"
            << "The image set\n%1\nnames no image file that can be found.";
        QTest::newRow("library of one icon") << "lib1.icl"
                                             << "The icon library\n%1\nholds only one icon.";
        QTest::newRow("library that holds no icons") << "text.icl"
                                                     << "The icon library\n%1\nholds no icons.";
    }
    void tooFewImagesKeepTheSetInPlay() {
        QFETCH(QString, file);
        QFETCH(QString, text);
        WriteSet("one.ims", {Picture(0), Path("gone.png")});
        WriteSet("gone.ims", {Path("gone1.png"), Path("gone2.png")});
        WriteSet("empty.ims", {});
        const QString path = Path(file);

        GuiTable t(8);
        const std::vector<CSetImage*> before = Images(t.board()->images());
        const int writes = t.store.writeCount();
        Choose(t, path);

        QCOMPARE(static_cast<int>(shown_.size()), 1);
        QCOMPARE(shown_[0].caption, QString("Not Enough Images"));
        QCOMPARE(shown_[0].text, text.arg(QDir::toNativeSeparators(path)) +
                                     "\n\nA game needs at least 2 images, so the images in "
                                     "play are kept.");
        QCOMPARE(Images(t.board()->images()), before);
        QCOMPARE(t.settings.columns, 8);
        QCOMPARE(t.board()->game().cellsInPlay(), 32);
        QCOMPARE(t.store.writeCount(), writes);
        QCOMPARE(t.settings.standardSetName, std::string("misc"));
        QVERIFY(t.settings.customSetPath.empty());
    }

    // --- the icon library loader ---

    void libraryOfFiftyGivesARandomTwenty() {
        ImageSet images;
        Random random;
        random.setState(1234);
        const SetLoad load = LoadIconLibrary(images, Path("lib50.icl"), random);
        QVERIFY(load.ok());
        QCOMPARE(load.count, 20);
        const std::vector<int> expected = ShuffledPositions(kIcons, 20, 1234);
        for (int k = 0; k < 20; ++k) {
            const CSetImage* image = images.image(k);
            QCOMPARE(IconNumber(image->icon), expected[k]);
            QVERIFY(!image->isBitmap);
            QCOMPARE(image->index, -1);
            QVERIFY(image->path.isEmpty());
            QVERIFY(image->text.isEmpty());
        }
    }

    void iclInCapitalsIsALibrary() {
        QVERIFY(IsIconLibraryPath("C:\\Icons\\CAPS.ICL"));
        QVERIFY(IsIconLibraryPath("/a/b.Icl"));
        QVERIFY(!IsIconLibraryPath("/a.icl/set"));
        QVERIFY(!IsIconLibraryPath("/a/b.ims"));

        GuiTable t(3);
        Choose(t, Path("CAPS.ICL"));
        QVERIFY(shown_.empty());
        QCOMPARE(t.board()->images().ImageCount(), 7);
        QCOMPARE(t.settings.customSetPath, Path("CAPS.ICL").toStdString());
    }

    // --- playing a set ---

    void commandOpensTheDialogForSetsAndLibraries() {
        GuiTable t(8);
        t.settings.startupDirectory = Path("pics").toStdString();
        const int writes = t.store.writeCount();
        inspect_ = [&](QFileDialog& d) {
            QCOMPARE(d.windowTitle(), QString("Open an Image Set"));
            QCOMPARE(d.nameFilters(),
                     (QStringList{"Image Sets (*.ims)", "Icon Library Files (*.icl)"}));
            QCOMPARE(d.defaultSuffix(), QString("ims"));
            QCOMPARE(d.fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(d.acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(d.directory().absolutePath(), Path("pics"));
        };
        Choose(t, QString()); // cancelled
        QCOMPARE(dialogs_, 1);
        QCOMPARE(t.store.writeCount(), writes);
        QCOMPARE(t.settings.standardSetName, std::string("misc"));
        QVERIFY(!t.action(command::UseCustomImageSet)->isChecked());
        QVERIFY(t.action(command::MiscSet)->isChecked());
    }

    void sixUsableImagesWithEightColumnsGiveThreeColumns() {
        const QString set =
            WriteSet("six.ims", Pictures(0, 3) + QStringList{Path("gone.png")} + Pictures(3, 3) +
                                    QStringList{Path("gone2.bmp")});
        GuiTable t(8);
        Choose(t, set);

        QCOMPARE(t.board()->images().ImageCount(), 6);
        QCOMPARE(t.settings.columns, 3);
        QCOMPARE(t.board()->game().cellsInPlay(), 12);
        QCOMPARE(std::get<int>(t.store.values().at("Number Columns")), 3);
        QCOMPARE(static_cast<int>(shown_.size()), 1);
        QCOMPARE(shown_[0].icon, MessageIcon::Information);
        QCOMPARE(shown_[0].caption, QString("Not Enough Images"));
        QCOMPARE(shown_[0].text, QString("The number of columns of buttons had to be reduced due "
                                         "to the number of images in the image set."));
        QCOMPARE(t.settings.customSetPath, set.toStdString());
        QVERIFY(t.settings.standardSetName.empty());
        QCOMPARE(std::get<std::string>(t.store.values().at("Custom Image Set")), set.toStdString());
        QCOMPARE(std::get<std::string>(t.store.values().at("Standard Image Set")), std::string());
        // A new deal on the narrower board: 6 pairs over 12 buttons.
        QCOMPARE(t.state().awaitingFirstPick, 1);
        std::vector<int> seen(6, 0);
        for (int i = 0; i < 12; ++i) {
            QVERIFY(t.button(i)->isVisible());
            ++seen.at(t.state().cellImage[i]);
        }
        QCOMPARE(seen, std::vector<int>(6, 2));
        QVERIFY(!t.button(12)->isVisible());
        // Checked: the custom set, and none of the standard ones.
        QVERIFY(t.action(command::UseCustomImageSet)->isChecked());
        for (int id :
             {command::ComputerSet, command::FlagSet, command::TrafficSet, command::MiscSet}) {
            QVERIFY(!t.action(id)->isChecked());
        }
        // The reduced count stays after going back to a standard set.
        t.action(command::MiscSet)->trigger();
        QCOMPARE(t.settings.columns, 3);
        QVERIFY(!t.action(command::UseCustomImageSet)->isChecked());
    }

    void twentyUsableImagesNeverReduceTheColumns() {
        const QString set = WriteSet("twenty.ims", Pictures(0, 20));
        GuiTable t(10);
        Choose(t, set);
        QCOMPARE(t.board()->images().ImageCount(), 20);
        QCOMPARE(t.settings.columns, 10);
        QVERIFY(!t.store.contains("Number Columns"));
        QVERIFY(shown_.empty());
    }

    void libraryOfSevenIconsWithTenColumns() {
        GuiTable t(10);
        Choose(t, Path("lib7.icl"));
        QCOMPARE(t.board()->images().ImageCount(), 7);
        QCOMPARE(t.settings.columns, 3);
        QCOMPARE(std::get<int>(t.store.values().at("Number Columns")), 3);
        QCOMPARE(static_cast<int>(shown_.size()), 1);
        QCOMPARE(shown_[0].text, QString("The number of columns of buttons had to be reduced due "
                                         "to the number of icons in the icon library."));
        QCOMPARE(t.settings.customSetPath, Path("lib7.icl").toStdString());
        QCOMPARE(t.board()->game().cellsInPlay(), 12);
        std::set<int> numbers;
        for (int k = 0; k < 7; ++k) {
            numbers.insert(IconNumber(t.board()->images().image(k)->icon));
        }
        QCOMPARE(numbers, (std::set<int>{0, 1, 2, 3, 4, 5, 6}));
    }

    void libraryOfFiftyIconsKeepsTheColumns() {
        GuiTable t(10);
        Choose(t, Path("lib50.icl"));
        QCOMPARE(t.board()->images().ImageCount(), 20);
        QCOMPARE(t.settings.columns, 10);
        QVERIFY(shown_.empty());
    }

    void crlfSetFromWindowsPlays() {
        // Written by hand as a Windows program would: CRLF lines, Windows-1252 names, a path
        // of another system that is skipped here.
        QVERIFY(QFile::copy(Picture(5), Path(QString::fromUtf8("Käse.png"))));
        const QByteArray bytes = I32(4) + I32(0) + QFile::encodeName(Picture(6)) + "\r\nEins\r\n" +
                                 I32(0) + "C:\\Bilder\\Katze.bmp\r\nKatze\r\n" + I32(0) +
                                 QFile::encodeName(Path("K")) + "\xE4se.png\r\nFran\xE7ois\r\n" +
                                 I32(3) + QFile::encodeName(Icon(9)) + "\r\nME_NONE\r\n";
        const QString set = Path("windows.ims");
        QVERIFY(WriteAll(set, bytes));

        GuiTable t(1);
        Choose(t, set);
        QVERIFY(shown_.empty());
        QCOMPARE(t.board()->images().ImageCount(), 3);
        QStringList texts;
        for (int i = 0; i < 3; ++i) {
            texts << t.board()->images().image(i)->text;
        }
        texts.sort();
        QCOMPARE(texts, (QStringList{"", "Eins", QString::fromUtf8("François")}));
    }

    void sameFileChosenAgainReloadsIt() {
        const QString set = WriteSet("again.ims", Pictures(0, 6));
        GuiTable t(3);
        Choose(t, set);
        QCOMPARE(t.board()->images().ImageCount(), 6);
        const auto [a, b] = t.pair();
        QTest::mouseClick(t.button(a), Qt::LeftButton);
        QTest::mouseClick(t.button(b), Qt::LeftButton);
        QVERIFY(t.state().cellMatched[a]);

        // The file has changed and the stored choice has been overwritten since.
        WriteSet("again.ims", Pictures(0, 8));
        t.store.WriteString("Custom Image Set", "elsewhere");
        t.store.WriteString("Standard Image Set", "misc");
        Choose(t, set);
        QCOMPARE(t.board()->images().ImageCount(), 8);
        QCOMPARE(std::get<std::string>(t.store.values().at("Custom Image Set")), set.toStdString());
        QCOMPARE(std::get<std::string>(t.store.values().at("Standard Image Set")), std::string());
        QVERIFY(!t.state().cellMatched[a]);
        QCOMPARE(t.state().awaitingFirstPick, 1);
        QVERIFY(t.button(a)->isVisible());
    }

    void bitmapsAreReloadedAtTheNewButtonSize() {
        const QString set = WriteSet("sharp.ims", Pictures(0, 3) + QStringList{Icon(1)});
        GuiTable t(2);
        Choose(t, set);
        QCOMPARE(t.board()->images().ImageCount(), 4);
        t.window->resize(1000, 800);
        QTest::qWait(0);
        t.action(command::MaximizeButtons)->trigger();
        const int size = t.settings.buttonSize;
        QVERIFY(size > 50);
        int bitmaps = 0;
        for (int i = 0; i < 4; ++i) {
            const CSetImage* image = t.board()->images().image(i);
            QVERIFY(!image->text.isEmpty());
            if (!image->isBitmap) {
                continue;
            }
            ++bitmaps;
            QCOMPARE(image->bitmap.size(), QSize(size, size));
            const QImage direct = LoadPictureImage(image->path, size);
            QCOMPARE(image->bitmap.toImage().convertToFormat(direct.format()), direct);
        }
        QCOMPARE(bitmaps, 3);
    }

    // --- the choice at start-up ---

    void storedSetIsPlayedAtStartUp() {
        const QString set = WriteSet("stored.ims", Pictures(0, 6));
        StartedWith s(set, 8);
        BoardView* board = s.window->board();
        QCOMPARE(board->images().ImageCount(), 6);
        QCOMPARE(s.settings.columns, 3);
        QCOMPARE(static_cast<int>(shown_.size()), 1);
        QCOMPARE(shown_[0].caption, QString("Not Enough Images"));
        QCOMPARE(std::get<std::string>(s.store.values().at("Custom Image Set")), set.toStdString());
        QCOMPARE(std::get<std::string>(s.store.values().at("Standard Image Set")), std::string());
        QCOMPARE(std::get<int>(s.store.values().at("Number Columns")), 3);
        QCOMPARE(board->game().state().awaitingFirstPick, 1);
        QVERIFY(s.window->action(command::UseCustomImageSet)->isChecked());
        QVERIFY(!s.window->action(command::MiscSet)->isChecked());
    }

    void unplayableStoredSetFallsBackToMiscForTheRun_data() {
        QTest::addColumn<QString>("file");
        QTest::newRow("too few images") << "one.ims";
        QTest::newRow("unreadable") << "broken/empty file.ims";
        QTest::newRow("library of one icon") << "lib1.icl";
    }
    void unplayableStoredSetFallsBackToMiscForTheRun() {
        QFETCH(QString, file);
        WriteSet("one.ims", {Picture(0)});
        QVERIFY(QDir().mkpath(Path("broken")));
        QVERIFY(WriteAll(Path("broken/empty file.ims"), QByteArray()));
        StartedWith s(Path(file), 8);
        QCOMPARE(s.settings.standardSetName, std::string("misc"));
        QVERIFY(s.settings.customSetPath.empty());
        QCOMPARE(s.window->board()->images().ImageCount(), 20);
        QCOMPARE(s.settings.columns, 8);
        QCOMPARE(s.store.writeCount(), 0);
        QVERIFY(shown_.empty());
    }
};

QTEST_MAIN(TestCustomSets)
#include "tst_customsets.moc"
