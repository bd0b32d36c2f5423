// Drives the real popup menu a panel opens during a press: a helper thread finds the menu
// window (class "#32768"), walks to an item by its texts with arrow keys and picks it with
// Return, or dismisses the menu with Escape. Before it acts, code of the host's runs inside the
// menu's message loop (a timer of the host's thread), as a host's own windows and timers do
// while a module's menu is open: it must find the host's floating-point environment in force,
// and a change it makes there is the host's to keep.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

namespace tarnhost {

class MenuDriver {
public:
    enum class Outcome { NO_MENU, CHOSEN, DISMISSED, NOT_FOUND };

    ~MenuDriver();
    // [main] Before a press. path: the item texts from the main menu down; empty: dismiss
    // whatever menu opens.
    void start(const std::vector<std::string>& path);
    // [main] Walks to a random item, choosing among each menu's items with `seed`.
    void startRandom(uint64_t seed);
    // The texts of the items walked through, joined by "/".
    const std::string& walked() const { return walked_; }
    // [main] After the press has returned: stops the helper and says what it did.
    Outcome finish();
    // The text of the path that was not found, for the message.
    const std::string& missing() const { return missing_; }

    static std::vector<std::string> splitPath(const std::string& path);

private:
    void run();
    void dismiss(const std::vector<void*>& windows);
    // The walk cannot go on: the open menus dismissed, `what` the item not found.
    void giveUp(const std::vector<void*>& open, std::string what);

    void stopTimer();
    // [main] The host's timer, run from the menu's message loop.
    static void __stdcall hostTimer(void* window, unsigned message, uintptr_t id, unsigned long time);

    std::vector<std::string> path_;
    std::thread thread_;
    uintptr_t timer_ = 0;
    std::atomic<bool> hostCodeRan_{false};
    std::atomic<bool> pressDone_{false};
    std::atomic<int> outcome_{0};
    std::string missing_;
    std::string walked_;
    bool random_ = false;
    uint64_t seed_ = 0;
};

}  // namespace tarnhost
