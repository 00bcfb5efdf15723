// Playing image set files and icon libraries. Pictures are drawn here with QImage, icons are
// packed by icotool (icoutils) and icon libraries laid out by the NE helper of tests/support.
#include "core/board/geometry.h"
#include "core/imagesets/imsformat.h"
#include "qt/app/commands.h"
#include "qt/imagesets/imageset.h"
#include "qt/platform/picturefile.h"
#include "qt/widgets/prompts.h"
#include "support/guitable.h"
#include "support/nemodule.h"
#include <QFileDialog>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

using namespace gemino;

namespace {

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Icon k of the fixture is filled with a red level that names it.
int iconNumber(const QIcon& icon) {
    return (qRed(icon.pixmap(QSize(32, 32)).toImage().pixel(16, 16)) - 10) / 4;
}

} // namespace

class TestCustomSets : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QStringList pictures_; // 20, of mixed extensions
    QStringList icons_;    // 50 .ico files without an extension, in a folder named like a picture
    QStringList shown_;    // "caption: text" of each message box
    QString answer_;       // the file the dialog returns

    QString filePath(const QString& name) const { return dir_.filePath(name); }

    // Sources k with text "T<k>".
    bool writeSet(const QString& name, const QStringList& sources) {
        std::vector<ImsEntry> entries;
        for (int k = 0; k < sources.size(); ++k)
            entries.push_back({0, sources[k].toStdString(), "T" + std::to_string(k)});
        return saveImageSetFile(filePath(name).toStdString(), entries).ok();
    }

    void choose(GuiTable& t, const QString& path) {
        answer_ = path;
        t.action(command::UseCustomImageSet)->trigger();
    }

private slots:
    // Every file the tests play.
    void initTestCase() {
        QVERIFY(QDir().mkpath(filePath("pics")) && QDir().mkpath(filePath("icons.bmp")));
        const QStringList extensions = {"png", "BMP", "jpg", "JPEG"};
        for (int k = 0; k < 20; ++k) {
            // Fine stripes, so a picture stretched from another size is told from one loaded at
            // the size it is drawn.
            QImage image(120, 120, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(k * 13 % 360, 200, 220));
            QPainter(&image).fillRect(image.rect(), QBrush(Qt::black, Qt::VerPattern));
            pictures_ << filePath(QString("pics/pic%1.%2").arg(k).arg(extensions[k % 4]));
            QVERIFY(image.save(pictures_.last()));
        }

        const QString icotool = QStandardPaths::findExecutable("icotool");
        QVERIFY2(!icotool.isEmpty(), "icotool (package icoutils) makes the icon fixtures");
        std::vector<test::NeGroup> groups;
        for (int k = 0; k < 50; ++k) {
            QImage image(32, 32, QImage::Format_ARGB32);
            image.fill(qRgb(10 + 4 * k, 200, 60));
            const QString png = filePath(QString("icon%1.png").arg(k));
            icons_ << filePath(QString("icons.bmp/icon%1").arg(k));
            QVERIFY(image.save(png));
            QCOMPARE(QProcess::execute(icotool, {"-c", "-b", "32", "-o", icons_.last(), png}), 0);
            QFile ico(icons_.last());
            QVERIFY(ico.open(QIODevice::ReadOnly));
            const QByteArray bytes = ico.readAll();
            groups.push_back({"", static_cast<std::uint16_t>(k + 1), {bytes.begin(), bytes.end()}});
        }
        for (const auto& [name, n] : std::vector<std::pair<QString, int>>{
                 {"lib7.icl", 7}, {"CAPS.ICL", 7}, {"lib50.icl", 50}}) {
            const auto module = test::buildNeModule({groups.begin(), groups.begin() + n}, 4);
            QVERIFY(
                writeAll(filePath(name), QByteArray(reinterpret_cast<const char*>(module.data()),
                                                    static_cast<qsizetype>(module.size()))));
        }
        QVERIFY(writeAll(filePath("short.ims"), QByteArray("\x05\0\0\0\0\0\0\0/a.png\nA\n", 18)));

        // Missing sources, folders and devices are skipped.
        QVERIFY(writeSet("six.ims",
                         pictures_.mid(0, 3) +
                             QStringList{filePath("gone.png"), filePath("pics"), "/dev/null"} +
                             pictures_.mid(3, 3)));
        QVERIFY(writeSet("twenty.ims", pictures_));
        QVERIFY(writeSet("dotted.ims", icons_.mid(0, 4)));
        QVERIFY(writeSet("one.ims", {pictures_[0], filePath("gone.png")}));
    }

    void init() {
        shown_.clear();
        setMessageBoxHook([this](QWidget*, MessageIcon, const QString& caption, const QString& text,
                                 MessageButtons) {
            shown_ << caption + ": " + text;
            return MessageAnswer::Ok;
        });
        setFileDialogHook([this](QFileDialog&) { return answer_; });
    }

    void playsAChosenSet() {
        const QString reduced = "Not Enough Images: The number of columns of buttons had to be "
                                "reduced due to the number of ";
        const QString byImages = reduced + "images in the image set.";
        const QString byIcons = reduced + "icons in the icon library.";
        // The file, the columns before, its images, bitmaps among them, the columns after, the
        // message shown: 6 usable images of 8 columns; 20 never reduce; a dot only in a folder
        // name; libraries of 7 and of 50 icons; ICL in capitals.
        const std::tuple<const char*, int, int, int, int, QString> cases[] = {
            {"six.ims", 8, 6, 6, 3, byImages}, {"twenty.ims", 10, 20, 20, 10, ""},
            {"dotted.ims", 2, 4, 0, 2, ""},    {"lib7.icl", 10, 7, 0, 3, byIcons},
            {"lib50.icl", 10, 20, 0, 10, ""},  {"CAPS.ICL", 3, 7, 0, 3, ""}};
        for (const auto& [file, columns, images, bitmaps, fit, message] : cases) {
            shown_.clear();
            GuiTable t(columns);
            choose(t, filePath(file));

            // Each image has a picture of its own: a bitmap of its file or a distinct icon.
            const ImageSet& set = t.images();
            QCOMPARE(set.imageCount(), images);
            std::set<QString> distinct;
            int loadedBitmaps = 0;
            for (int i = 0; i < images; ++i) {
                const CSetImage* image = set.image(i);
                loadedBitmaps += image->isBitmap;
                distinct.insert(image->isBitmap ? image->path
                                                : QString::number(iconNumber(image->icon)));
            }
            QCOMPARE(loadedBitmaps, bitmaps);
            QCOMPARE(static_cast<int>(distinct.size()), images);

            QCOMPARE(shown_, message.isEmpty() ? QStringList() : QStringList{message});
            QCOMPARE(t.store.ReadInt("Number Columns", columns), fit);
            QCOMPARE(t.store.ReadString("Custom Image Set", ""), filePath(file).toStdString());
            QVERIFY(!t.action(command::MiscSet)->isChecked());
            QCOMPARE(t.session()->game().cellsInPlay(), 4 * fit); // dealt anew
        }
    }

    // Chosen, a set with one usable image or fewer entries than it announces leaves the set in
    // play and the settings as they were; stored by an earlier run, it gives way to misc for
    // this run only, and quietly.
    void unplayableSetIsNotPlayed() {
        for (const auto& [file, message] :
             {std::pair<QString, QString>{
                  "one.ims", "Not Enough Images: The image set\n%1\nnames only one image file that "
                             "can be found."
                             "\n\nA game needs at least 2 images, so the images in play are kept."},
              {"short.ims",
               "Image Set Not Loaded: Gemino could not read the image set\n%1\n\nIt "
               "ends after 1 of the 5 images it announces.\n\nThe images in play are kept."}}) {
            shown_.clear();
            GuiTable t(8);
            const CSetImage* first = t.images().image(0);
            const int writes = t.store.writeCount();
            choose(t, filePath(file));
            QCOMPARE(shown_, QStringList{message.arg(QDir::toNativeSeparators(filePath(file)))});
            QCOMPARE(t.images().image(0), first);
            QCOMPARE(t.store.writeCount(), writes);
            QVERIFY(t.action(command::MiscSet)->isChecked());

            shown_.clear();
            MemorySettingsStore store;
            GameSettings settings;
            RecordingSound sound;
            settings.standardSetName.clear();
            settings.customSetPath = filePath(file).toStdString();
            MainWindow window(settings, store, sound);
            window.session()->initialize();
            QCOMPARE(window.session()->images().imageCount(), 20);
            QCOMPARE(settings.standardSetName, std::string("misc"));
            QCOMPARE(store.ReadString("Custom Image Set", "unwritten"), std::string("unwritten"));
            QVERIFY(shown_.isEmpty());
        }
    }

    // Maximize fits the whole board and both score lines into the view, stores the size, deals
    // nothing, and reloads every bitmap sharp at the new size.
    void maximizeFitsTheViewAndReloadsBitmapsSharp() {
        GuiTable t(8);
        choose(t, filePath("twenty.ims"));
        t.window->resize(1000, 800);
        QTest::qWait(0);
        t.action(command::MaximizeButtons)->trigger();
        const int size = t.settings.buttonSize;
        QVERIFY2(size > 50, qPrintable(QString::number(size)));
        QCOMPARE(t.store.ReadInt("Button Size", 0), size);
        const BoardGeometry g = t.board()->geometry();
        QVERIFY(ButtonX(g, 7) + size <= t.board()->width());
        QVERIFY(scoreTop(g) + 62 <= t.board()->height());
        QVERIFY(t.state().awaitingFirstPick);
        for (int i = 0; i < 20; ++i) {
            const CSetImage* image = t.images().image(i);
            QCOMPARE(image->text, "T" + QString::number(pictures_.indexOf(image->path)));
            const QImage direct = loadPictureImage(image->path, size);
            QCOMPARE(image->bitmap.toImage().convertToFormat(direct.format()), direct);
        }
    }
};

QTEST_MAIN(TestCustomSets)
#include "tst_customsets.moc"
