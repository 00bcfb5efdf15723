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
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <set>
#include <utility>
#include <vector>

using namespace gemino;

namespace {

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Icon k of the fixture is filled with a red level that names it.
int IconNumber(const QIcon& icon) {
    return (qRed(icon.pixmap(QSize(32, 32)).toImage().pixel(16, 16)) - 10) / 4;
}

} // namespace

class TestCustomSets : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QStringList pictures_; // 26, of mixed extensions
    QStringList icons_;    // 50 .ico files without an extension, in a folder named like a picture
    QStringList shown_;    // "caption: text" of each message box
    QString answer_;       // the file the dialog returns

    QString Path(const QString& name) const { return dir_.filePath(name); }

    // Sources k with text "T<k>".
    QString WriteSet(const QString& name, const QStringList& sources) {
        std::vector<ImsEntry> entries;
        for (int k = 0; k < sources.size(); ++k) {
            entries.push_back({0, sources[k].toStdString(), "T" + std::to_string(k)});
        }
        if (!SaveImageSetFile(Path(name).toStdString(), entries).ok()) {
            qFatal("cannot write %s", qPrintable(name));
        }
        return Path(name);
    }

    void Choose(GuiTable& t, const QString& path) {
        answer_ = path;
        t.action(command::UseCustomImageSet)->trigger();
    }

private slots:
    // Every file the tests play.
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir().mkpath(Path("pics")) && QDir().mkpath(Path("icons.bmp")));
        const QStringList extensions = {"png", "BMP", "jpg", "JPEG"};
        for (int k = 0; k < 26; ++k) {
            // Fine stripes, so a picture stretched from another size is told from one loaded at
            // the size it is drawn.
            QImage image(120, 120, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(k * 13 % 360, 200, 220));
            QPainter p(&image);
            for (int x = 0; x < 120; x += 3) {
                p.drawLine(x, 0, x, 119);
            }
            p.end();
            pictures_ << Path(QString("pics/pic%1.%2").arg(k).arg(extensions[k % 4]));
            QVERIFY(image.save(pictures_.last()));
        }

        const QString icotool = QStandardPaths::findExecutable("icotool");
        QVERIFY2(!icotool.isEmpty(), "icotool (package icoutils) makes the icon fixtures");
        std::vector<test::NeGroup> groups;
        for (int k = 0; k < 50; ++k) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(qRgb(10 + 4 * k, 200, 60));
            const QString png = Path(QString("icon%1.png").arg(k));
            icons_ << Path(QString("icons.bmp/icon%1").arg(k));
            QVERIFY(image.save(png));
            QCOMPARE(QProcess::execute(icotool, {"-c", "-b", "32", "-o", icons_.last(), png}), 0);
            QFile ico(icons_.last());
            QVERIFY(ico.open(QIODevice::ReadOnly));
            const QByteArray bytes = ico.readAll();
            groups.push_back({"", static_cast<std::uint16_t>(k + 1), {bytes.begin(), bytes.end()}});
        }
        for (const auto& [name, n] : std::vector<std::pair<QString, int>>{
                 {"lib7.icl", 7}, {"CAPS.ICL", 7}, {"lib50.icl", 50}, {"lib1.icl", 1}}) {
            const auto module = test::BuildNeModule({groups.begin(), groups.begin() + n}, 4);
            QVERIFY(WriteAll(Path(name), QByteArray(reinterpret_cast<const char*>(module.data()),
                                                    static_cast<qsizetype>(module.size()))));
        }
        QVERIFY(WriteAll(Path("text.icl"), "not an icon library\n"));
        QVERIFY(WriteAll(Path("empty.ims"), {}));
        QVERIFY(WriteAll(Path("short.ims"), QByteArray("\x05\0\0\0\0\0\0\0/a.png\nA\n", 18)));

        // Missing sources, folders and devices are skipped.
        WriteSet("six.ims", pictures_.mid(0, 3) +
                                QStringList{Path("gone.png"), Path("pics"), "/dev/null"} +
                                pictures_.mid(3, 3));
        WriteSet("twenty.ims", pictures_.mid(0, 20));
        WriteSet("many.ims", pictures_);
        WriteSet("dotted.ims", icons_.mid(0, 4));
        WriteSet("one.ims", {pictures_[0], Path("gone.png")});
    }

    void init() {
        shown_.clear();
        SetMessageBoxHook([this](QWidget*, MessageIcon, const QString& caption,
                                 const QString& text) { shown_ << caption + ": " + text; });
        SetFileDialogHook([this](QFileDialog&) { return answer_; });
    }

    void cleanup() {
        SetMessageBoxHook(nullptr);
        SetFileDialogHook(nullptr);
    }

    void playsAChosenSet_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("images");
        QTest::addColumn<int>("bitmaps");
        QTest::addColumn<int>("fit"); // the columns afterwards
        QTest::addColumn<QString>("message");
        const QString reduced = "Not Enough Images: The number of columns of buttons had to be "
                                "reduced due to the number of ";
        const QString images = reduced + "images in the image set.";
        const QString icons = reduced + "icons in the icon library.";
        QTest::newRow("6 usable images, 8 columns") << "six.ims" << 8 << 6 << 6 << 3 << images;
        QTest::newRow("20 images never reduce") << "twenty.ims" << 10 << 20 << 20 << 10 << "";
        QTest::newRow("a random 20 of 26 images") << "many.ims" << 10 << 20 << 20 << 10 << "";
        QTest::newRow("dot only in a folder name") << "dotted.ims" << 2 << 4 << 0 << 2 << "";
        QTest::newRow("7-icon library, 10 columns") << "lib7.icl" << 10 << 7 << 0 << 3 << icons;
        QTest::newRow("50-icon library") << "lib50.icl" << 10 << 20 << 0 << 10 << "";
        QTest::newRow("ICL in capitals") << "CAPS.ICL" << 3 << 7 << 0 << 3 << "";
    }
    void playsAChosenSet() {
        QFETCH(QString, file);
        QFETCH(int, columns);
        QFETCH(int, images);
        QFETCH(int, bitmaps);
        QFETCH(int, fit);
        QFETCH(QString, message);
        GuiTable t(columns);
        Choose(t, Path(file));

        const ImageSet& set = t.board()->images();
        QCOMPARE(set.ImageCount(), images);
        // Each image has a picture of its own: a bitmap of its file or a distinct icon.
        std::set<QString> distinct;
        int loadedBitmaps = 0;
        for (int i = 0; i < images; ++i) {
            const CSetImage* image = set.image(i);
            QVERIFY(image->hasPicture());
            loadedBitmaps += image->isBitmap;
            distinct.insert(image->isBitmap ? image->path
                                            : QString::number(IconNumber(image->icon)));
        }
        QCOMPARE(loadedBitmaps, bitmaps);
        QCOMPARE(static_cast<int>(distinct.size()), images);

        QCOMPARE(t.settings.columns, fit);
        QCOMPARE(t.store.ReadInt("Number Columns", columns), fit);
        QCOMPARE(shown_, message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(t.settings.standardSetName.empty());
        QCOMPARE(t.store.ReadString("Custom Image Set", ""), Path(file).toStdString());
        QCOMPARE(t.store.ReadString("Standard Image Set", "unwritten"), std::string());
        QVERIFY(t.action(command::UseCustomImageSet)->isChecked());
        for (int id :
             {command::ComputerSet, command::FlagSet, command::TrafficSet, command::MiscSet}) {
            QVERIFY(!t.action(id)->isChecked());
        }
        // A new deal of pairs of the new images on the fitted board.
        QCOMPARE(t.state().awaitingFirstPick, 1);
        QCOMPARE(t.board()->game().cellsInPlay(), 4 * fit);
        for (int i = 0; i < 4 * fit; ++i) {
            QVERIFY(t.state().cellImage[i] < images);
        }
    }

    void sameFileChosenAgainReloadsIt() {
        const QString set = WriteSet("again.ims", pictures_.mid(0, 6));
        GuiTable t(3);
        Choose(t, set);
        // Changed since, and the stored choice overwritten.
        WriteSet("again.ims", pictures_.mid(0, 8));
        t.store.WriteString("Custom Image Set", "elsewhere");
        Choose(t, set);
        QCOMPARE(t.board()->images().ImageCount(), 8);
        QCOMPARE(t.store.ReadString("Custom Image Set", ""), set.toStdString());
    }

    void unplayableChoiceKeepsTheSetInPlay_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // %1 is the file
        const QString few = "\n\nA game needs at least 2 images, so the images in play are kept.";
        QTest::newRow("one usable image")
            << "one.ims"
            << "Not Enough Images: The image set\n%1\nnames only one image file that can be "
               "found." +
                   few;
        QTest::newRow("library of one icon")
            << "lib1.icl"
            << "Not Enough Images: The icon library\n%1\nholds only one icon." + few;
        QTest::newRow("library of no icons")
            << "text.icl"
            << "Not Enough Images: The icon library\n%1\nholds no icons." + few;
        const QString unread = "Image Set Not Loaded: Gemino could not read the image set\n%1\n\n";
        const QString kept = "\n\nThe images in play are kept.";
        QTest::newRow("count larger than the file")
            << "short.ims" << unread + "It ends after 1 of the 5 images it announces." + kept;
        QTest::newRow("empty file") << "empty.ims" << unread + "The file is empty." + kept;
        QTest::newRow("missing") << "missing.ims" << unread + "The file does not exist." + kept;
        QTest::newRow("folder") << "pics" << unread + "It is not a file." + kept;
    }
    void unplayableChoiceKeepsTheSetInPlay() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        GuiTable t(8);
        const CSetImage* first = t.board()->images().image(0);
        const auto cells = t.state().cellImage;
        const int writes = t.store.writeCount();
        Choose(t, Path(file));

        QCOMPARE(shown_, QStringList{message.arg(QDir::toNativeSeparators(Path(file)))});
        QCOMPARE(t.board()->images().image(0), first);
        QCOMPARE(t.board()->images().ImageCount(), 20);
        QCOMPARE(t.state().cellImage, cells);
        QCOMPARE(t.settings.columns, 8);
        QCOMPARE(t.store.writeCount(), writes);
        QCOMPARE(t.settings.standardSetName, std::string("misc"));
        QVERIFY(t.settings.customSetPath.empty());
        QVERIFY(!t.action(command::UseCustomImageSet)->isChecked());
        QVERIFY(t.action(command::MiscSet)->isChecked());
    }

    void storedChoiceAtStartUp_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("plays");
        QTest::newRow("playable set") << "six.ims" << true;
        QTest::newRow("too few images") << "one.ims" << false;
        QTest::newRow("unreadable") << "short.ims" << false;
        QTest::newRow("library of one icon") << "lib1.icl" << false;
    }
    void storedChoiceAtStartUp() {
        QFETCH(QString, file);
        QFETCH(bool, plays);
        MemorySettingsStore store;
        GameSettings settings;
        RecordingSound sound;
        settings.standardSetName.clear();
        settings.customSetPath = Path(file).toStdString();
        settings.columns = 8;
        MainWindow window(settings, store, sound);

        QCOMPARE(window.board()->images().ImageCount(), plays ? 6 : 20);
        QCOMPARE(settings.columns, plays ? 3 : 8);
        QCOMPARE(settings.standardSetName, std::string(plays ? "" : "misc"));
        QCOMPARE(window.action(command::UseCustomImageSet)->isChecked(), plays);
        QCOMPARE(window.action(command::MiscSet)->isChecked(), !plays);
        // The fallback lasts for this run only, and quietly.
        QCOMPARE(store.ReadString("Custom Image Set", "unwritten"),
                 plays ? Path(file).toStdString() : "unwritten");
        QCOMPARE(store.ReadInt("Number Columns", 0), plays ? 3 : 0);
        QCOMPARE(shown_.size(), plays ? 1 : 0);
    }

    void bitmapsAreReloadedSharpAtTheNewSize() {
        GuiTable t(2);
        Choose(t, WriteSet("sharp.ims", pictures_.mid(0, 3) << icons_[1]));
        const int before = t.settings.buttonSize;
        t.window->resize(1000, 800);
        QTest::qWait(0);
        t.action(command::MaximizeButtons)->trigger();
        const int size = t.settings.buttonSize;
        QVERIFY(size != before);
        int bitmaps = 0;
        for (int i = 0; i < 4; ++i) {
            const CSetImage* image = t.board()->images().image(i);
            QVERIFY(!image->text.isEmpty());
            if (image->isBitmap) {
                ++bitmaps;
                const QImage direct = LoadPictureImage(image->path, size);
                QCOMPARE(image->bitmap.toImage().convertToFormat(direct.format()), direct);
            }
        }
        QCOMPARE(bitmaps, 3);
    }
};

QTEST_MAIN(TestCustomSets)
#include "tst_customsets.moc"
