// A CLAP plug-in's editor as a Windows DAW opens it: the host's gui and timer extensions (timers
// run on the parent window), an embedded WIN32 window, and the state extension for the shape.
#include <cstring>
#include <sstream>
#include <string>

#include "clap/entry.h"
#include "clap/ext/gui.h"
#include "clap/ext/state.h"
#include "clap/ext/timer-support.h"
#include "clap/host.h"
#include "clap/plugin-factory.h"
#include "clap/plugin.h"
#include "plugin_library.h"
#include "plugin_window.h"

namespace plugtest {

namespace {

class ClapView : public PluginView {
public:
    ClapView(const std::string& path, std::string& error) {
        library_ = openLibrary(path);
        entry_ = library_ != nullptr ? static_cast<const clap_plugin_entry_t*>(librarySymbol(library_, "clap_entry"))
                                     : nullptr;
        if (entry_ == nullptr || !entry_->init(path.c_str())) {
            entry_ = nullptr;
            error = "not a CLAP plug-in: " + path;
            return;
        }
        const auto* factory = static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
        if (factory != nullptr && factory->get_plugin_count(factory) > 0) {
            plugin_ = factory->create_plugin(factory, &host_, factory->get_plugin_descriptor(factory, 0)->id);
        }
        if (plugin_ == nullptr || !plugin_->init(plugin_)) {
            error = "the library made no plug-in";
            return;
        }
        gui_ = static_cast<const clap_plugin_gui_t*>(plugin_->get_extension(plugin_, CLAP_EXT_GUI));
        state_ = static_cast<const clap_plugin_state_t*>(plugin_->get_extension(plugin_, CLAP_EXT_STATE));
        timers_ = static_cast<const clap_plugin_timer_support_t*>(plugin_->get_extension(plugin_, CLAP_EXT_TIMER_SUPPORT));
        if (gui_ == nullptr || state_ == nullptr) error = "the plug-in has no editor or no state";
    }

    ~ClapView() override {
        if (plugin_ != nullptr) plugin_->destroy(plugin_);
        if (entry_ != nullptr) entry_->deinit();
        if (library_ != nullptr) closeLibrary(library_);
    }

    bool ok() const { return gui_ != nullptr && state_ != nullptr; }

    bool loadShape(const std::string& text) override {
        std::string state;
        if (!save(state) || !replaceStateField(state, "shape", text)) return false;
        std::istringstream bytes(state);
        clap_istream_t in{&bytes, [](const clap_istream_t* s, void* buffer, uint64_t n) -> int64_t {
                              auto* from = static_cast<std::istringstream*>(s->ctx);
                              from->read(static_cast<char*>(buffer), static_cast<std::streamsize>(n));
                              return from->gcount();
                          }};
        return state_->load(plugin_, &in);
    }

    std::string savedShape() override {
        std::string state;
        return save(state) ? stateField(state, "shape") : "";
    }

    bool create(int& width, int& height) override {
        uint32_t w = 0, h = 0;
        if (!gui_->create(plugin_, CLAP_WINDOW_API_WIN32, false)) return false;
        created_ = true;
        if (!gui_->get_size(plugin_, &w, &h)) return false;
        width = static_cast<int>(w);
        height = static_cast<int>(h);
        return true;
    }

    bool attach(HWND parent) override {
        parent_ = parent;
        clap_window_t window{};
        window.api = CLAP_WINDOW_API_WIN32;
        window.win32 = parent;
        return gui_->set_parent(plugin_, &window) && gui_->show(plugin_);
    }

    void destroy() override {
        if (!created_) return;
        gui_->hide(plugin_);
        gui_->destroy(plugin_);
        created_ = false;
    }

    void timer(UINT_PTR id) override {
        if (timers_ != nullptr) timers_->on_timer(plugin_, static_cast<clap_id>(id));
    }

private:
    bool save(std::string& out) const {
        clap_ostream_t sink{&out, [](const clap_ostream_t* s, const void* buffer, uint64_t n) -> int64_t {
                                static_cast<std::string*>(s->ctx)->append(static_cast<const char*>(buffer), n);
                                return static_cast<int64_t>(n);
                            }};
        return state_->save(plugin_, &sink);
    }

    static ClapView* self(const clap_host_t* host) { return static_cast<ClapView*>(host->host_data); }

    // Timers the plug-in asks for fire on the parent window, whose messages run the plug-in's.
    static bool registerTimer(const clap_host_t* host, uint32_t period, clap_id* id) {
        ClapView* view = self(host);
        if (view->parent_ == nullptr) return false;
        *id = ++view->lastTimer_;
        return SetTimer(view->parent_, *id, period, nullptr) != 0;
    }
    static bool unregisterTimer(const clap_host_t* host, clap_id id) {
        ClapView* view = self(host);
        return view->parent_ != nullptr && KillTimer(view->parent_, id) != 0;
    }

    static const void* extension(const clap_host_t* host, const char* id) {
        if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &self(host)->hostGui_;
        if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &self(host)->hostTimers_;
        return nullptr;
    }

    const clap_host_gui_t hostGui_{[](const clap_host_t*) {}, [](const clap_host_t*, uint32_t, uint32_t) { return false; },
                                   [](const clap_host_t*) { return false; }, [](const clap_host_t*) { return false; },
                                   [](const clap_host_t*, bool) {}};
    const clap_host_timer_support_t hostTimers_{&ClapView::registerTimer, &ClapView::unregisterTimer};
    const clap_host_t host_{CLAP_VERSION_INIT, this, "tarn-clap-host", "Tarn", "", "1.0", &ClapView::extension,
                            [](const clap_host_t*) {}, [](const clap_host_t*) {}, [](const clap_host_t*) {}};
    void* library_ = nullptr;
    const clap_plugin_entry_t* entry_ = nullptr;
    const clap_plugin_t* plugin_ = nullptr;
    const clap_plugin_gui_t* gui_ = nullptr;
    const clap_plugin_state_t* state_ = nullptr;
    const clap_plugin_timer_support_t* timers_ = nullptr;
    HWND parent_ = nullptr;
    clap_id lastTimer_ = 0;
    bool created_ = false;
};

}  // namespace

std::unique_ptr<PluginView> clapView(const std::string& path, std::string& error) {
    return madeView<ClapView>(path, error);
}

}  // namespace plugtest
