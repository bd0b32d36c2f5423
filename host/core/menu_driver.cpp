// The popup-menu helper thread: menu windows found by class, items by text, keys posted.
#include "host/core/menu_driver.h"

#include "host/core/fp_environments.h"

#include <windows.h>

#include <chrono>
#include <string>

namespace tarnhost {

namespace {

// The driver whose timer is running: one press at a time on the host's main thread.
MenuDriver* timerDriver = nullptr;

constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU
constexpr int kPollMs = 1;
constexpr int kMaxKeySteps = 80;
// How long a menu, a submenu, a moved highlight or a closed menu may take to show.
constexpr std::chrono::seconds kShowLimit{10};

// Polls until `done` holds; false when `stop` was set or the limit passed first.
template <class Done>
bool waitFor(Done done, const std::atomic<bool>& stop) {
    const auto limit = std::chrono::steady_clock::now() + kShowLimit;
    while (!done()) {
        if (stop || std::chrono::steady_clock::now() > limit) return false;
        Sleep(kPollMs);
    }
    return true;
}

// A visible menu window of this process, other than `except`, showing `menu` (any if null).
HWND findMenuWindow(HMENU menu, HWND except) {
    const DWORD pid = GetCurrentProcessId();
    HWND w = nullptr;
    while ((w = FindWindowExA(nullptr, w, "#32768", nullptr)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != pid || w == except || !IsWindowVisible(w)) continue;
        HMENU shown = reinterpret_cast<HMENU>(SendMessageA(w, kGetMenuHandle, 0, 0));
        if (shown == nullptr) continue;
        if (menu == nullptr || shown == menu) return w;
    }
    return nullptr;
}

std::string itemText(HMENU menu, int pos) {
    char buf[256] = {};
    GetMenuStringA(menu, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
    return buf;
}

// Type, state and submenu of an item (GetMenuState mixes a submenu's item count into its bits).
MENUITEMINFOA itemInfo(HMENU menu, int pos) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_SUBMENU;
    GetMenuItemInfoA(menu, static_cast<UINT>(pos), TRUE, &info);
    return info;
}

int findItem(HMENU menu, const std::string& text) {
    const int n = GetMenuItemCount(menu);
    for (int pos = 0; pos < n; ++pos) {
        if ((itemInfo(menu, pos).fType & MFT_SEPARATOR) != 0) continue;
        if (itemText(menu, pos) == text) return pos;
    }
    return -1;
}

int highlighted(HMENU menu) {
    const int n = GetMenuItemCount(menu);
    for (int pos = 0; pos < n; ++pos) {
        if ((itemInfo(menu, pos).fState & MFS_HILITE) != 0) return pos;
    }
    return -1;
}

void key(HWND w, WPARAM vk) {
    PostMessageA(w, WM_KEYDOWN, vk, 1);
    PostMessageA(w, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

}  // namespace

MenuDriver::~MenuDriver() {
    pressDone_ = true;
    if (thread_.joinable()) thread_.join();
    stopTimer();
}

std::vector<std::string> MenuDriver::splitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t slash = path.find('/', start);
        parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return parts;
}

void MenuDriver::startRandom(uint64_t seed) {
    random_ = true;
    seed_ = seed;
    start({"*"});
}

void MenuDriver::start(const std::vector<std::string>& path) {
    path_ = path;
    walked_.clear();
    pressDone_ = false;
    outcome_ = static_cast<int>(Outcome::NO_MENU);
    missing_.clear();
    hostCodeRan_ = false;
    timerDriver = this;
    timer_ = SetTimer(nullptr, 0, USER_TIMER_MINIMUM, reinterpret_cast<TIMERPROC>(&hostTimer));
    thread_ = std::thread([this] { run(); });
}

MenuDriver::Outcome MenuDriver::finish() {
    pressDone_ = true;
    if (thread_.joinable()) thread_.join();
    stopTimer();
    return static_cast<Outcome>(outcome_.load());
}

void MenuDriver::stopTimer() {
    if (timer_ != 0) KillTimer(nullptr, timer_);
    timer_ = 0;
    if (timerDriver == this) timerDriver = nullptr;
}

void __stdcall MenuDriver::hostTimer(void*, unsigned, uintptr_t, unsigned long) {
    MenuDriver* driver = timerDriver;
    if (driver == nullptr || driver->hostCodeRan_) return;
    HostFpPolicy::instance().hostCodeInsideCall("timer");
    driver->hostCodeRan_ = true;
}

void MenuDriver::dismiss(const std::vector<void*>& windows) {
    // Escape closes one level at a time, innermost first.
    const std::atomic<bool> never{false};
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const HWND w = static_cast<HWND>(*it);
        key(static_cast<HWND>(windows.front()), VK_ESCAPE);
        waitFor([&] { return !IsWindowVisible(w); }, never);
    }
}

void MenuDriver::giveUp(const std::vector<void*>& open, std::string what) {
    missing_ = std::move(what);
    dismiss(open);
    outcome_ = static_cast<int>(Outcome::NOT_FOUND);
}

// Every wait is for something the menu shows, with a limit; a menu that was found is dismissed
// whenever the walk cannot go on, so that the press it belongs to always returns.
void MenuDriver::run() {
    HWND win = nullptr;
    if (!waitFor([&] { return (win = findMenuWindow(nullptr, nullptr)) != nullptr; }, pressDone_)) return;
    // The host's code first; a menu whose loop runs none is driven all the same.
    waitFor([&] { return hostCodeRan_.load(); }, pressDone_);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(win, kGetMenuHandle, 0, 0));
    std::vector<void*> open{win};
    // Every key goes to the main menu's window, which lives as long as the menu: a submenu's
    // window is destroyed when it closes, and with it a key still queued for it, which the menu
    // would then take for the next one.
    const HWND top = win;
    if (path_.empty()) {
        dismiss(open);
        outcome_ = static_cast<int>(Outcome::DISMISSED);
        return;
    }
    for (size_t level = 0; level < path_.size(); ++level) {
        if (random_) {
            // Pick any item here; a submenu makes the walk one level longer.
            std::vector<int> items;
            for (int pos = 0; pos < GetMenuItemCount(menu); ++pos)
                if ((itemInfo(menu, pos).fType & MFT_SEPARATOR) == 0) items.push_back(pos);
            if (items.empty()) return giveUp(open, walked_ + " (an empty menu)");
            seed_ = seed_ * 6364136223846793005ull + 1442695040888963407ull;
            path_[level] = itemText(menu, items[(seed_ >> 33) % items.size()]);
            if (itemInfo(menu, findItem(menu, path_[level])).hSubMenu != nullptr) path_.push_back("*");
        }
        walked_ += (level > 0 ? "/" : "") + path_[level];
        std::string upTo;
        for (size_t i = 0; i < level; ++i) upTo += path_[i] + "/";
        upTo += path_[level];
        const int target = findItem(menu, path_[level]);
        if (target < 0) return giveUp(open, upTo);
        for (int step = 0; highlighted(menu) != target && step < kMaxKeySteps; ++step) {
            // A move takes the highlight off one item before it puts it on the next: the key
            // is done when another item holds it.
            const int before = highlighted(menu);
            key(top, VK_DOWN);
            if (!waitFor([&] { const int now = highlighted(menu); return now >= 0 && now != before; }, pressDone_)) break;
        }
        if (highlighted(menu) != target) return giveUp(open, upTo + " (the highlight never reached it)");
        if (level + 1 == path_.size()) {
            if (itemInfo(menu, target).hSubMenu != nullptr) return giveUp(open, path_[level] + " (a submenu, not an item)");
            key(top, VK_RETURN);
            PostMessageA(top, WM_CHAR, '\r', 1);
            outcome_ = static_cast<int>(Outcome::CHOSEN);
            return;
        }
        HMENU sub = GetSubMenu(menu, target);
        if (sub == nullptr)
            return giveUp(open, path_[level] + "/" + path_[level + 1] + " (" + path_[level] + " has no submenu)");
        key(top, VK_RIGHT);
        HWND subWin = nullptr;
        // A submenu opened from the keyboard shows with its first item highlighted; the walk
        // goes on from there, or a key sent meanwhile would count twice.
        if (!waitFor([&] { return (subWin = findMenuWindow(sub, win)) != nullptr && highlighted(sub) >= 0; }, pressDone_))
            return giveUp(open, upTo + " (its submenu never showed)");
        menu = sub;
        win = subWin;
        open.push_back(win);
    }
}

}  // namespace tarnhost
