#include "qt/app/gamesession.h"

#include "core/board/geometry.h"
#include "core/imagesets/imagesource.h"
#include "core/imagesets/standardsets.h"
#include "core/settings/settings.h"
#include "qt/imagesets/customset.h"
#include "qt/imagesets/setimage.h"
#include "qt/platform/waitcursor.h"
#include "qt/widgets/prompts.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <utility>

namespace gemino {

GameSession::GameSession(GameSettings& settings, SettingsStore& store, BoardView& view,
                         QObject* parent)
    : QObject(parent), settings_(settings), store_(store), view_(view),
      game_(settings, view, images_, random_) {
    view_.attach(game_, images_, *this);
    connect(&view_, &BoardView::waiting, this, &GameSession::stateChanged);
    connect(&pictures_, &PictureLoader::pictureArrived, &view_, &BoardView::invalidateImage);
    connect(&pictures_, &PictureLoader::allArrived, this, &GameSession::picturesArrived);
    // The window is painted before any picture is decoded: the decoders would only compete
    // with it for the processor. Queued, so the whole first frame is out first.
    connect(&view_, &BoardView::firstPainted, &pictures_, &PictureLoader::release,
            Qt::QueuedConnection);
}

GameSession::~GameSession() = default;

void GameSession::initialize() {
    if (!view_.painted()) {
        pictures_.hold();
    }
    view_.LayoutButtons();
    loadStartupSet();
    game_.NewGame();
    emit dealt();
    view_.invalidateAll();
    emit stateChanged();
}

void GameSession::loadStartupSet() {
    std::string& standard = settings_.standardSetName;
    std::string& custom = settings_.customSetPath;
    if (standard.empty() && custom.empty()) {
        standard = defaults::StandardSetName;
    }
    if (standard.empty() && LoadCustomSet(QString::fromStdString(custom), /*atStartup=*/true)) {
        return;
    }
    // A stored custom set that cannot be played, a stored name that is none of the four, or
    // both names stored at once (possible only by editing the settings by hand) play the
    // miscellaneous set for this run; the stored values are left as they are.
    if (standard.empty() || !standardSetIcons(standard)) {
        standard = defaults::StandardSetName;
    }
    custom.clear();
    pictures_.cancelAll();
    images_.LoadStandardSet(standard);
}

std::optional<SetProblem> GameSession::takeStartupProblem() {
    return std::exchange(startupProblem_, std::nullopt);
}

template <typename Operation> void GameSession::runEngine(Operation&& operation) {
    ++busy_;
    operation();
    --busy_;
    if (busy_ == 0 && tickPending_) {
        // Ticks that fell due while the engine waited are merged into one, handled late.
        tickPending_ = false;
        game_.OnTimer(kClockTimerId);
    }
    emit stateChanged();
}

void GameSession::cellChosen(int cell) {
    runEngine([this, cell] { game_.OnBoardButton(cell); });
}

bool GameSession::keyPressed(const KeyPress& key) {
    bool handled = false;
    runEngine([&] { handled = game_.onKeyDown(key); });
    return handled;
}

void GameSession::clockTicked() {
    if (busy_ > 0) {
        tickPending_ = true;
        return;
    }
    runEngine([this] { game_.OnTimer(kClockTimerId); });
}

void GameSession::newGame() {
    runEngine([this] {
        game_.NewGame();
        emit dealt();
    });
}

void GameSession::toggleTimedGame() {
    runEngine([this] { game_.ToggleTimedGame(); });
}

void GameSession::showAllImages() {
    runEngine([this] { game_.ShowAllImages(); });
}

void GameSession::clearKeyboardSelection() {
    game_.clearKeyboardSelection();
}

void GameSession::useStandardSet(const std::string& name) {
    settings_.standardSetName = name;
    settings_.customSetPath.clear();
    pictures_.cancelAll();
    images_.LoadStandardSet(name);
    store_.WriteString(key::StandardImageSet, name);
    store_.WriteString(key::CustomImageSet, "");
    newGame();
}

void GameSession::setNumberPlayers(int players) {
    settings_.numberPlayers = players;
    store_.WriteInt(key::NumberPlayers, players);
    runEngine([this] { game_.onNumberPlayersChanged(); });
}

void GameSession::togglePlaySounds() {
    settings_.playSounds = !settings_.playSounds;
    store_.WriteBool(key::PlaySounds, settings_.playSounds);
    emit stateChanged();
}

bool GameSession::LoadCustomSet(const QString& path, bool atStartup) {
    const bool library = isIconLibraryPath(path.toStdString());
    // Loaded aside: the set in play stays whole until the new one has proved playable. Only
    // headers are read here; the pictures are decoded on worker threads afterwards.
    ImageSet loaded;
    SetLoad load;
    {
        const WaitCursor wait;
        load = library ? LoadIconLibrary(loaded, path, random_)
                       : LoadImageSetFile(loaded, path, settings_.buttonSize, random_);
    }

    const QString shown = QDir::toNativeSeparators(path);
    std::optional<SetProblem> problem;
    if (!load.ok()) {
        const QString what = library ? tr("the icon library") : tr("the image set");
        problem = SetProblem{tr("Image Set Not Loaded"),
                             tr("Gemino could not read %1\n%2\n\n%3").arg(what, shown, load.error)};
    } else if (load.count < 2) {
        QString text;
        if (library) {
            text = load.found == 0   ? tr("The icon library\n%1\nholds no icons.")
                   : load.count == 0 ? tr("The icon library\n%1\nholds no icon that can be "
                                          "shown.")
                   : load.found == 1 ? tr("The icon library\n%1\nholds only one icon.")
                                     : tr("The icon library\n%1\nholds only one icon that "
                                          "can be shown.");
        } else {
            text = load.found == 0 ? tr("The image set\n%1\nholds no images.")
                   : load.count == 0
                       ? tr("The image set\n%1\nnames no image that can be shown: its files are "
                            "missing or hold no picture, and its entries have no text.")
                       : tr("The image set\n%1\nnames only one image that can be shown.");
        }
        problem = SetProblem{tr("Not Enough Images"),
                             text.arg(shown) + tr("\n\nA game needs at least 2 images.")};
    }
    if (problem) {
        if (atStartup) {
            // Told once the window and the About box are up; the choice stays stored, as the
            // file may be back next time (a drive not yet mounted).
            problem->text += tr("\n\nThe miscellaneous images are played instead; the set is "
                                "tried again at the next start.");
            startupProblem_ = std::move(problem);
        } else {
            problem->text += tr("\n\nThe images in play are kept.");
            showMessageBox(&view_, MessageIcon::Warning, problem->caption, problem->text);
        }
        return false;
    }

    pictures_.cancelAll();
    images_.swap(loaded);
    pictures_.request(std::move(load.pictures));
    const std::string stored =
        QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdString();
    settings_.customSetPath = stored;
    settings_.standardSetName.clear();
    store_.WriteString(key::StandardImageSet, std::string());
    store_.WriteString(key::CustomImageSet, stored);
    ReduceColumnsToFit(library ? tr("The number of columns of buttons had to be reduced due to "
                                    "the number of icons in the icon library.")
                               : tr("The number of columns of buttons had to be reduced due to "
                                    "the number of images in the image set."));
    if (!atStartup) {
        newGame();
    }
    return true;
}

bool GameSession::ReduceColumnsToFit(const QString& message) {
    const int fit = 2 * images_.imageCount() / kRows;
    // A board of no columns cannot be laid out; loaders refuse sets that small beforehand.
    if (fit < 1 || fit >= settings_.columns) {
        return false;
    }
    settings_.columns = fit;
    store_.WriteInt(key::NumberColumns, fit);
    relayout();
    showMessageBox(&view_, MessageIcon::Information, tr("Not Enough Images"), message);
    return true;
}

void GameSession::relayout() {
    view_.LayoutButtons();
    view_.invalidateAll();
}

void GameSession::MaximizeButtonSize(const WindowMetrics& metrics) {
    // Kept within the stored range, so the size chosen here is still the size at the next start.
    const int size =
        gemino::MaximizeButtonSize(metrics, settings_.columns, settings_.buttonSpacing);
    settings_.buttonSize = std::clamp(size, limits::ButtonSize.lowest, limits::ButtonSize.highest);
    ReloadBitmaps();
    view_.LayoutButtons();
    writeButtonGeometry();
    view_.invalidateAll();
    emit stateChanged();
}

void GameSession::setButtonSize(int size) {
    settings_.buttonSize = size;
    relayout();
}

void GameSession::setButtonSpacing(int spacing) {
    settings_.buttonSpacing = spacing;
    relayout();
}

void GameSession::useDefaultButtonGeometry() {
    settings_.buttonSize = defaults::ButtonSize;
    settings_.buttonSpacing = defaults::ButtonSpacing;
    writeButtonGeometry();
    ReloadBitmaps();
    relayout();
}

void GameSession::writeButtonGeometry() {
    store_.WriteInt(key::ButtonSize, settings_.buttonSize);
    store_.WriteInt(key::ButtonSpacing, settings_.buttonSpacing);
}

void GameSession::setColumns(int columns) {
    settings_.columns = columns;
    store_.WriteInt(key::NumberColumns, columns);
    relayout();
    newGame();
}

void GameSession::ReloadBitmaps() {
    std::vector<PictureRequest> requests;
    for (int i = 0; i < images_.imageCount(); ++i) {
        CSetImage* image = images_.image(i);
        if (!image || !image->isBitmap) {
            continue;
        }
        // Images of one file share its decode.
        const auto same =
            std::find_if(requests.begin(), requests.end(),
                         [&](const PictureRequest& r) { return r.path == image->path; });
        if (same != requests.end()) {
            same->images.push_back(image);
        } else {
            requests.push_back({image->path, settings_.buttonSize, {}, {image}});
        }
    }
    pictures_.request(std::move(requests));
}

void GameSession::setDisplayProperties(bool highlightMatched, bool matcherName, bool imageText,
                                       int unmatchedDisplayTime, int matchFlashes) {
    // Only what changed is written, in the order the dialog shows it.
    const auto update = [this](const char* name, auto& field, auto value) {
        if (field != value) {
            field = value;
            if constexpr (std::is_same_v<decltype(value), bool>) {
                store_.WriteBool(name, value);
            } else {
                store_.WriteInt(name, value);
            }
        }
    };
    update(key::HighlightMatchedImages, settings_.highlightMatchedImages, highlightMatched);
    update(key::DisplayMatcherName, settings_.displayMatcherName, matcherName);
    update(key::DisplayImageText, settings_.displayImageText, imageText);
    update(key::UnmatchedDisplayTime, settings_.unmatchedDisplayTime, unmatchedDisplayTime);
    update(key::MatchFlashes, settings_.matchFlashes, matchFlashes);
    view_.invalidateAll();
}

void GameSession::setPlayerNames(const std::string& player1, const std::string& player2) {
    settings_.player1Name = player1;
    settings_.player2Name = player2;
    store_.WriteString(key::Player1Name, player1);
    store_.WriteString(key::Player2Name, player2);
    // The scoreboard shows the new names; the game goes on.
    view_.invalidateAll();
}

} // namespace gemino
