#include "qt/app/gamewatch.h"

#include "core/settings/memorysettingsstore.h"
#include "core/settings/settings.h"
#include "qt/access/boardaccessibility.h"
#include "qt/app/gamesession.h"
#include "qt/board/boardview.h"
#include "qt/imagesets/imageset.h"
#include "qt/imagesets/setimage.h"

#include <cctype>

namespace gemino {

namespace {

SettingsStore& storeOf(SettingsStore* given, std::unique_ptr<MemorySettingsStore>& own) {
    if (given) {
        return *given;
    }
    own = std::make_unique<MemorySettingsStore>();
    return *own;
}

std::string sentence(std::string text) {
    if (!text.empty()) {
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    }
    return text + ".";
}

} // namespace

GameWatch::GameWatch(GameSession& session, BoardView& board, SettingsStore* recordStore,
                     QObject* parent)
    : QObject(parent), session_(session), book_(storeOf(recordStore, ownStore_)),
      narrator_(session.settings(),
                [&session](int image) {
                    const CSetImage* picture = session.images().image(image);
                    return picture ? picture->description.toStdString() : std::string();
                }),
      access_(new BoardAccessibility(board, session.game(), session.images(), session.settings())) {
    access_->setInputGate([&session] { return !session.busy(); });
    connect(&session_, &GameSession::dealt, this, &GameWatch::onDealt);
    connect(&session_, &GameSession::stateChanged, this, &GameWatch::onStateChanged);
}

GameWatch::~GameWatch() = default;

void GameWatch::onDealt() {
    if (!access_) {
        return;
    }
    board_ = boardKeyOf(session_.settings());
    tally_.dealt(session_.settings().numberPlayers);
    const std::vector<News> news = narrator_.dealt(session_.game().state());
    access_->refresh();
    access_->announce(QString::fromStdString(joinNews(news)));
}

void GameWatch::onStateChanged() {
    if (!access_) {
        return;
    }
    tally_.playersSet(session_.settings().numberPlayers);
    const std::vector<News> news = narrator_.observe(session_.game().state());
    std::string told = joinNews(news);
    for (const News& item : news) {
        if (item.kind == News::Kind::Mismatch) {
            tally_.missed();
        } else if (item.kind == News::Kind::GameOver) {
            const std::string records = finishGame();
            if (!records.empty()) {
                told += " " + records;
            }
        }
    }
    access_->refresh();
    access_->announce(QString::fromStdString(told));
}

std::string GameWatch::finishGame() {
    const GameState& state = session_.game().state();
    const auto game = tally_.finished(state.timedGame, state.elapsedSeconds);
    if (!game) {
        return {};
    }
    std::string told = sentence(formatMisses(game->misses));
    const std::string message = newRecordMessage(board_, book_.submit(board_, *game));
    if (!message.empty()) {
        told += " " + message;
        emit newRecord(QString::fromStdString(message));
    }
    return told;
}

} // namespace gemino
