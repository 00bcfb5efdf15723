#pragma once

#include "core/engine/game.h"
#include "core/engine/presentation.h"

#include <algorithm>
#include <functional>
#include <numeric>
#include <string>
#include <vector>

// Records every effect the engine asks for, stamped with a virtual clock that only waits
// (and waited cues) move forward.
class FakePresentation : public gemino::Presentation {
public:
    struct Event {
        int time;
        std::string what;
    };
    static constexpr int kPopLength = 120;

    void setCellButtonVisible(int cell, bool visible) override {
        buttonVisible[cell] = visible;
        record((visible ? "show " : "hide ") + std::to_string(cell));
    }
    void invalidateAll() override { record("invalidateAll"); }
    void InvalidateCell(int cell) override { record("invalidateCell " + std::to_string(cell)); }
    void invalidateScoreBand() override { record("invalidateScoreBand"); }
    // An update records the picks it brings on the screen: "update 4 5".
    void updateNow() override {
        const auto& s = game->state();
        record("update " + std::to_string(s.firstPick) + ' ' + std::to_string(s.secondPick));
    }
    void wait(int ms) override {
        if (beforeWait) {
            beforeWait();
        }
        record("wait " + std::to_string(ms));
        now += ms;
    }
    void startClock() override { clockRunning = true; }
    void stopClock() override { clockRunning = false; }
    void playSound(const std::string& path, bool wait) override {
        sounds.push_back(path);
        record("sound " + path.substr(path.find_last_of('/') + 1));
        now += wait ? kPopLength : 0;
    }
    void relabelCells(int row, int column) override {
        record("relabel");
        highlightRow = row;
        highlightColumn = column;
    }

    void clear() {
        events.clear();
        sounds.clear();
        now = 0;
    }
    // The events that begin with `what`.
    std::vector<Event> all(const std::string& what) const {
        std::vector<Event> found;
        for (const Event& e : events)
            if (e.what.rfind(what, 0) == 0)
                found.push_back(e);
        return found;
    }
    int count(const std::string& what) const { return static_cast<int>(all(what).size()); }
    int timeOf(const std::string& what) const {
        const auto e =
            std::find_if(events.begin(), events.end(), [&](auto& e) { return e.what == what; });
        return e == events.end() ? -1 : e->time;
    }

    const gemino::Game* game = nullptr;
    std::function<void()> beforeWait;
    int now = 0;
    bool clockRunning = false;
    int highlightRow = -1;
    int highlightColumn = -1;
    bool buttonVisible[gemino::kMaxCells] = {};
    std::vector<Event> events;
    std::vector<std::string> sounds; // the paths played

private:
    void record(const std::string& what) { events.push_back({now, what}); }
};

// An image list of plain numbers, so a test can see how the deal reordered it.
class FakeImageList : public gemino::ImageList {
public:
    explicit FakeImageList(int count) : images(count) {
        std::iota(images.begin(), images.end(), 0);
    }
    int imageCount() const override { return static_cast<int>(images.size()); }
    void swapImages(int a, int b) override { std::swap(images[a], images[b]); }
    std::vector<int> images;
};
