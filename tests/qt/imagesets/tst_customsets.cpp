// Playing image set files and icon libraries. Pictures are drawn here with QImage, icons are
// written byte by byte and icon libraries laid out by the NE helper of tests/support.
#include "core/board/geometry.h"
#include "core/imagesets/imsformat.h"
#include "qt/app/aboutdialog.h"
#include "qt/app/commands.h"
#include "qt/imagesets/customset.h"
#include "qt/imagesets/imageset.h"
#include "qt/imagesets/pictureloader.h"
#include "qt/imagesets/setimage.h"
#include "qt/platform/picturefile.h"
#include "qt/widgets/prompts.h"
#include "support/guitable.h"
#include "support/nemodule.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QtEndian>

#include <set>
#include <vector>

using namespace gemino;

namespace {

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray I32(std::int32_t v) {
    const std::int32_t le = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&le), sizeof le);
}

// Detail everywhere, so nothing compresses it much and a picture stretched from another size is
// told from one loaded at the size it is drawn; k varies it.
QImage photo(int width, int height, int k) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x ^ y ^ k) & 0xFF));
        }
    }
    return image;
}

// An icon file of one 1 x 1 image: a DIB claiming `bits` a pixel, whose red level names icon k,
// or the PNG `png`.
QByteArray icon(int k, char bits = 32, const QByteArray& png = {}) {
    const QByteArray image = !png.isEmpty() ? png
                                            : I32(40) + I32(1) + I32(2) + QByteArray("\1\0", 2) +
                                                  bits + QByteArray(25, '\0') + "\x3C\xC8" +
                                                  char(10 + 4 * k) + QByteArray("\xFF\0\0\0\0", 5);
    return QByteArray::fromHex("0000010001000101000001002000") + I32(image.size()) + I32(22) +
           image;
}

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
    QStringList broken_;   // exist, but hold no picture: junk, a header too large, not a module

    QString filePath(const QString& name) const { return dir_.filePath(name); }

    bool writeEntries(const QString& name, const std::vector<ImsEntry>& entries) {
        return saveImageSetFile(filePath(name).toStdString(), entries).ok();
    }

    // Sources k with text "T<k>".
    bool writeSet(const QString& name, const QStringList& sources) {
        std::vector<ImsEntry> entries;
        for (int k = 0; k < sources.size(); ++k) {
            entries.push_back({0, sources[k].toStdString(), "T" + std::to_string(k)});
        }
        return writeEntries(name, entries);
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
            pictures_ << filePath(QString("pics/pic%1.%2").arg(k).arg(extensions[k % 4]));
            QVERIFY(photo(120, 120, k).save(pictures_.last()));
        }

        // A PNG whose header names a colour type PNG does not have.
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && photo(1, 1, 0).save(&buffer, "png"));
        png[25] = 7;
        // Groups whose only image claims 7 bits a pixel hold nothing to draw, nor do those whose
        // PNG image is refused.
        const auto group = [](int k, const QByteArray& ico) {
            return test::NeGroup{"", static_cast<std::uint16_t>(k + 1), {ico.begin(), ico.end()}};
        };
        std::vector<test::NeGroup> good;
        std::vector<test::NeGroup> bad;
        for (int k = 0; k < 50; ++k) {
            icons_ << filePath(QString("icons.bmp/icon%1").arg(k));
            QVERIFY(writeAll(icons_.last(), icon(k)));
            good.push_back(group(k, icon(k)));
            bad.push_back(group(k, icon(k, 7, k % 2 ? png : QByteArray())));
        }
        std::vector<test::NeGroup> half(good.begin(), good.begin() + 3);
        half.insert(half.end(), bad.begin() + 3, bad.begin() + 30);
        for (const auto& [name, module] :
             std::vector<std::pair<QString, std::vector<test::NeGroup>>>{
                 {"lib7.icl", {good.begin(), good.begin() + 7}},
                 {"CAPS.ICL", {good.begin(), good.begin() + 7}},
                 {"lib50.icl", good},
                 {"broken.icl", {bad.begin(), bad.begin() + 30}},
                 {"half.icl", half}}) {
            const auto bytes = test::buildNeModule(module, 4);
            QVERIFY(writeAll(filePath(name), QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<qsizetype>(bytes.size()))));
        }

        broken_ << filePath("junk.png") << filePath("big.png") << filePath("junk.dll");
        QVERIFY(writeAll(broken_[0], "not a picture at all"));
        // A PNG header claiming 16000 x 16000.
        QVERIFY(writeAll(broken_[1], QByteArray::fromHex("89504e470d0a1a0a0000000d49484452"
                                                         "00003e8000003e80080200000000000000")));
        QVERIFY(writeAll(broken_[2], QByteArray(4096, '\x37')));
        QVERIFY(writeAll(filePath("short.ims"), QByteArray("\x05\0\0\0\0\0\0\0/a.png\nA\n", 18)));

        // Missing sources, folders and devices are skipped.
        QVERIFY(writeSet("six.ims",
                         pictures_.mid(0, 3) +
                             QStringList{filePath("gone.png"), filePath("pics"), "/dev/null"} +
                             pictures_.mid(3, 3)));
        QVERIFY(writeAll(filePath("negative.ims"), I32(-3) + "junk"));
        QVERIFY(writeAll(filePath("cut.ims"), I32(2) + I32(0) + "a\nb\n" + I32(0) + "c"));
        QVERIFY(writeEntries("nothing.ims", {{0, broken_[0].toStdString(), ""},
                                             {0, broken_[1].toStdString(), ""},
                                             {0, filePath("gone.png").toStdString(), "Gone"}}));
        // Of 25 entries a random 20 are kept, in file order.
        QVERIFY(writeSet("many.ims", pictures_ + pictures_.mid(0, 5)));
        QVERIFY(writeSet("twenty.ims", pictures_));
        QVERIFY(writeSet("dotted.ims", icons_.mid(0, 4)));
        QVERIFY(writeSet("one.ims", {pictures_[0], filePath("gone.png")}));
        const auto entry = [](const QString& path, const char* text, int index = 0) {
            return ImsEntry{index, path.toStdString(), text};
        };
        QVERIFY(writeEntries("mixed.ims", {entry(broken_[0], ""), entry(broken_[1], ""),
                                           entry(broken_[2], ""), entry(pictures_[0], ""),
                                           entry(pictures_[1], ""), entry(icons_[0], "")}));
        QVERIFY(writeEntries("texts.ims", {entry(broken_[0], "Cat"), entry(broken_[1], "Dog"),
                                           entry(broken_[2], "Fox")}));
        QVERIFY(writeEntries("alike.ims", {entry(pictures_[0], "A"), entry(pictures_[0], "A"),
                                           entry(filePath("pics/../pics/pic0.png"), "A"),
                                           entry(pictures_[0], "A", 5), entry(pictures_[0], "B"),
                                           entry(icons_[0], "A"), entry(icons_[0], "A"),
                                           entry(icons_[0], "A", 1), entry(broken_[0], "Z"),
                                           entry(broken_[1], "Z")}));
    }

    void init() {
        // Thumbnails go to a cache of the test's own.
        qputenv("XDG_CACHE_HOME", filePath("cache").toUtf8());
        shown_.clear();
        setMessageBoxHook([this](QWidget*, MessageIcon, const QString& caption, const QString& text,
                                 MessageButtons) {
            shown_ << caption + ": " + text;
            return MessageAnswer::Ok;
        });
        setFileDialogHook([this](QFileDialog&) { return answer_; });
    }

    // An image needs a picture (judged from its file's header, or an icon group with an image
    // that passes) or a text; images that would look alike count once.
    void playsAChosenSet_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("images");
        QTest::addColumn<int>("bitmaps");
        QTest::addColumn<int>("pictured");
        QTest::addColumn<int>("fit"); // the columns afterwards
        QTest::addColumn<QString>("message");
        const QString reduced = "Not Enough Images: The number of columns of buttons had to be "
                                "reduced due to the number of ";
        const QString images = reduced + "images in the image set.";
        const QString icons = reduced + "icons in the icon library.";
        QTest::newRow("6 usable images, 8 columns") << "six.ims" << 8 << 6 << 6 << 6 << 3 << images;
        QTest::newRow("20 images never reduce") << "twenty.ims" << 10 << 20 << 20 << 20 << 10 << "";
        QTest::newRow("dot only in a folder name") << "dotted.ims" << 2 << 4 << 0 << 4 << 2 << "";
        QTest::newRow("7-icon library, 10 columns")
            << "lib7.icl" << 10 << 7 << 0 << 7 << 3 << icons;
        QTest::newRow("50-icon library") << "lib50.icl" << 10 << 20 << 0 << 20 << 10 << "";
        QTest::newRow("ICL in capitals") << "CAPS.ICL" << 3 << 7 << 0 << 7 << 3 << "";
        QTest::newRow("no picture and no text: dropped")
            << "mixed.ims" << 1 << 3 << 2 << 3 << 1 << "";
        QTest::newRow("a text stands in for a picture")
            << "texts.ims" << 1 << 3 << 0 << 0 << 1 << "";
        QTest::newRow("alike entries count once") << "alike.ims" << 1 << 5 << 2 << 3 << 1 << "";
        QTest::newRow("library with 3 good icons of 30")
            << "half.icl" << 1 << 3 << 0 << 3 << 1 << "";
    }
    void playsAChosenSet() {
        QFETCH(QString, file);
        QFETCH(int, columns);
        QFETCH(int, images);
        QFETCH(int, bitmaps);
        QFETCH(int, pictured);
        QFETCH(int, fit);
        QFETCH(QString, message);
        GuiTable t(columns);
        choose(t, filePath(file));
        QTRY_COMPARE(t.session()->picturesPending(), 0);

        // Each picture is one of its own: a bitmap of its file (and text) or a distinct icon.
        QCOMPARE(t.images().imageCount(), images);
        std::set<QString> distinct;
        int loadedBitmaps = 0;
        int withPicture = 0;
        for (int i = 0; i < images; ++i) {
            const CSetImage* image = t.images().image(i);
            loadedBitmaps += image->isBitmap;
            if (image->hasPicture()) {
                ++withPicture;
                QVERIFY(!image->isBitmap || image->bitmap.width() == t.settings.buttonSize);
                distinct.insert(image->isBitmap ? image->path + image->text
                                                : QString::number(iconNumber(image->icon)));
            }
        }
        QCOMPARE(loadedBitmaps, bitmaps);
        QCOMPARE(withPicture, pictured);
        QCOMPARE(static_cast<int>(distinct.size()), pictured);

        QCOMPARE(shown_, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(t.store.ReadInt("Number Columns", columns), fit);
        QCOMPARE(t.store.ReadString("Custom Image Set", ""), filePath(file).toStdString());
        QVERIFY(!t.action(command::MiscSet)->isChecked());
        // A new deal on the fitted board (tst_stress sees that cells hold images of the set).
        QCOMPARE(t.session()->game().cellsInPlay(), 4 * fit);
    }

    void unplayableSetIsNotPlayed_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message"); // %1 is the file
        const QString notRead = "Image Set Not Loaded: Gemino could not read the image set\n%1\n\n";
        const QString twoNeeded = "\n\nA game needs at least 2 images.";
        QTest::newRow("one usable image")
            << "one.ims"
            << "Not Enough Images: The image set\n%1\nnames only one image that can be shown." +
                   twoNeeded;
        QTest::newRow("negative count")
            << "negative.ims"
            << notRead + "It is not an image set file: it begins with a negative number of "
                         "images (-3).";
        QTest::newRow("count larger than the file")
            << "short.ims"
            << notRead + "It is not an image set file: it begins with the number 5, more images "
                         "than its 18 bytes could hold.";
        QTest::newRow("cut short within an entry")
            << "cut.ims"
            << notRead + "The file is truncated: it ends before image 2 of the 2 it announces is "
                         "complete.";
        QTest::newRow("a folder") << "pics" << notRead + "It is not a file.";
        QTest::newRow("nothing that can be shown")
            << "nothing.ims"
            << "Not Enough Images: The image set\n%1\nnames no image that can be shown: its files "
               "are missing or hold no picture, and its entries have no text." +
                   twoNeeded;
        QTest::newRow("library of broken icons")
            << "broken.icl"
            << "Not Enough Images: The icon library\n%1\nholds no icon that can be shown." +
                   twoNeeded;
    }
    void unplayableSetIsNotPlayed() {
        QFETCH(QString, file);
        QFETCH(QString, message);
        message = message.arg(QDir::toNativeSeparators(filePath(file)));

        // Chosen, it leaves the set in play and the settings as they were.
        GuiTable t(8);
        const CSetImage* first = t.images().image(0);
        const int writes = t.store.writeCount();
        choose(t, filePath(file));
        QCOMPARE(shown_, QStringList{message + "\n\nThe images in play are kept."});
        QCOMPARE(t.images().image(0), first);
        QCOMPARE(t.store.writeCount(), writes);
        QVERIFY(t.action(command::MiscSet)->isChecked());

        // Stored by an earlier run, it gives way to misc at start-up and says why, once the
        // window and the About box are up; the stored choice stays for the next start.
        shown_.clear();
        MemorySettingsStore store;
        GameSettings settings;
        RecordingSound sound;
        settings.standardSetName.clear();
        settings.customSetPath = filePath(file).toStdString();
        MainWindow window(settings, store, sound);
        QTimer closeAbout;
        connect(&closeAbout, &QTimer::timeout, [&] {
            if (auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget())) {
                shown_ << "About";
                about->accept();
            }
        });
        closeAbout.start(5);
        window.startUp();
        QCOMPARE(window.session()->images().imageCount(), 20);
        QCOMPARE(settings.standardSetName, std::string("misc"));
        QCOMPARE(store.ReadString("Custom Image Set", "unwritten"), std::string("unwritten"));
        QCOMPARE(shown_, (QStringList{"About", message + "\n\nThe miscellaneous images are played "
                                                         "instead; the set is tried again at the "
                                                         "next start."}));
    }

    // The deal does not wait for the pictures: a cell uncovered before its picture has arrived
    // shows a quiet stand-in, and the picture once it has.
    void picturesArriveAfterTheDeal() {
        QStringList photos;
        for (int k = 0; k < 4; ++k) {
            photos << filePath(QString("photo%1.jpg").arg(k));
            QVERIFY(photo(900, 700, k).save(photos.last()));
        }
        QVERIFY(writeSet("photos.ims", photos));
        GuiTable t(2);
        choose(t, filePath("photos.ims"));
        QCOMPARE(t.images().imageCount(), 4);
        QCOMPARE(t.session()->picturesPending(), 4);

        QTest::mouseClick(t.button(0), Qt::LeftButton);
        const CSetImage* image = t.images().image(t.state().cellImage[0]);
        QVERIFY(image->picturePending());
        // Uniform, and not the board's background: the cell is seen to be waiting.
        const QRect cell = t.button(0)->geometry().adjusted(3, 3, -3, -3);
        const QImage waiting = t.grab();
        QCOMPARE(distinctColors(waiting, cell), 1);
        QVERIFY(waiting.pixel(cell.center()) != waiting.pixel(cell.topLeft() - QPoint(5, 5)));
        QTRY_VERIFY(!image->picturePending());
        QVERIFY(image->hasPicture());
        QTRY_VERIFY(distinctColors(t.grab(), cell) > 100);
    }

    // Asked for again before the first answer arrives, an image takes the latest one only: here
    // the first is a small picture, decoded long before the second, a large one.
    void theLatestRequestForAPictureWins() {
        QVERIFY(photo(1600, 1600, 0).save(filePath("large.png")));
        PictureLoader loader;
        QSignalSpy arrived(&loader, &PictureLoader::allArrived);
        CSetImage image;
        loader.request({{pictures_[0], 40, {}, {&image}}});
        loader.cancelAll(); // a set replaced before its pictures arrived waits for none of them
        QCOMPARE(loader.pending(), 0);
        loader.request({{pictures_[0], 40, {}, {&image}}});
        loader.request({{filePath("large.png"), 40, {}, {&image}}});
        QVERIFY(arrived.wait());
        QCOMPARE(image.bitmap.toImage(), loadPictureImage(filePath("large.png"), 40));
    }

    // Of more than 20 usable entries a random 20 are kept, in file order (before a deal reorders
    // them).
    void keepsARandomTwentyInFileOrder() {
        ImageSet set;
        Random random([] { return 7u; }); // a fixed seed keeps the run repeatable
        QCOMPARE(LoadImageSetFile(set, filePath("many.ims"), 40, random).count, 20);
        for (int i = 1; i < 20; ++i) {
            QVERIFY(set.image(i - 1)->text.mid(1).toInt() < set.image(i)->text.mid(1).toInt());
        }
    }

    // Maximize fits the whole board and both score lines into the view, deals nothing, and
    // reloads every bitmap sharp at the new size (tst_mainwindow sees the size stored).
    void maximizeFitsTheViewAndReloadsBitmapsSharp() {
        GuiTable t(8);
        choose(t, filePath("twenty.ims"));
        t.window->resize(1000, 800);
        QTest::qWait(0);
        t.action(command::MaximizeButtons)->trigger();
        const int size = t.settings.buttonSize;
        QVERIFY2(size > 50, qPrintable(QString::number(size)));
        const BoardGeometry g = t.board()->geometry();
        QVERIFY(ButtonX(g, 7) + size <= t.board()->width());
        QVERIFY(scoreTop(g) + 62 <= t.board()->height());
        QVERIFY(t.state().awaitingFirstPick);
        // Bitmaps are reloaded at the new size on worker threads.
        QTRY_COMPARE(t.session()->picturesPending(), 0);
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
