#pragma once

#include "core/engine/game.h"
#include "core/engine/random.h"
#include "core/settings/memorysettingsstore.h"
#include "core/settings/settings.h"
#include "qt/app/gamesession.h"
#include "qt/app/mainwindow.h"
#include "qt/board/boardview.h"
#include "qt/imagesets/imageset.h"
#include "qt/platform/soundoutput.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QToolBar>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace gemino {
struct SessionTestAccess {
    static ImageSet& images(GameSession& session) { return session.images_; }
};
} // namespace gemino

// Sound that records what was played and claims each cue lasts 100 ms.
class RecordingSound : public gemino::SoundOutput {
public:
    int play(const QString& path) override {
        played.push_back(path.section('/', -1).toStdString());
        return 100;
    }
    std::vector<std::string> played;
};

// A main window on an in-memory store, dealt from a known generator state, with waits made
// instant.
struct GuiTable {
    explicit GuiTable(int columns = 8, int seed = 1) {
        settings.columns = columns;
        settings.startupDirectory = "/cues";
        window = std::make_unique<gemino::MainWindow>(settings, store, sound, nullptr, &records);
        board()->setTimeScale(0);
        session()->random().setState(static_cast<std::uint32_t>(seed));
        session()->initialize();
        window->resize(900, 700);
        window->show();
        window->activateWindow();
        // Shortcuts only reach an active window; the tests that need them fail without it.
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("the main window did not become active");
    }

    gemino::BoardView* board() const { return window->board(); }
    gemino::GameSession* session() const { return window->session(); }
    const gemino::GameState& state() const { return session()->game().state(); }
    gemino::ImageSet& images() const { return gemino::SessionTestAccess::images(*session()); }
    QToolBar* toolBar() const { return window->findChild<QToolBar*>(QStringLiteral("59392")); }
    QPushButton* button(int cell) const { return board()->cellButton(cell); }
    QAction* action(int id) const { return window->action(id); }

    // Two unmatched cells other than `avoid` holding the same image (or different ones).
    std::pair<int, int> pair(int avoid = -1, bool same = true) const {
        const int n = session()->game().cellsInPlay();
        const gemino::GameState& s = state();
        for (int a = 0; a < n; ++a)
            for (int b = a + 1; b < n; ++b)
                if (a != avoid && b != avoid && !s.cellMatched[a] && !s.cellMatched[b] &&
                    (s.cellImage[a] == s.cellImage[b]) == same)
                    return {a, b};
        return {-1, -1};
    }
    std::pair<int, int> mismatch() const { return pair(-1, false); }

    QImage grab() const { return board()->grab().toImage(); }

    gemino::MemorySettingsStore store;
    // The records of best games, apart from the options.
    gemino::MemorySettingsStore records;
    gemino::GameSettings settings;
    RecordingSound sound;
    std::unique_ptr<gemino::MainWindow> window;
};

// How many pixels of `image` inside `area` pass `test`.
template <typename Test> int countPixels(const QImage& image, const QRect& area, Test test) {
    int n = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

// How many pixels of `image` inside `area` have exactly `color`.
inline int countColor(const QImage& image, const QRect& area, QRgb color) {
    return countPixels(image, area, [&](QRgb c) { return (c & 0xFFFFFF) == (color & 0xFFFFFF); });
}

// How many pixels inside `area` are nearly black, as anti-aliased black text is.
inline int countDark(const QImage& image, const QRect& area) {
    return countPixels(image, area,
                       [](QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90; });
}

// How many distinct colours `area` holds: one for an empty background, many for a picture.
inline int distinctColors(const QImage& image, const QRect& area) {
    std::set<QRgb> seen;
    countPixels(image, area, [&](QRgb c) { return seen.insert(c).second; });
    return static_cast<int>(seen.size());
}
