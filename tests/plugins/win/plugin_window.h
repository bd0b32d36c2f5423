// The plug-in window checks of the Windows test hosts (`window`): the plug-in's editor opened in a
// parent window of the host's, as a DAW opens it, and driven with the events of `tarn-host panel`
// as window messages (the popup menu picked by the reference host's menu driver), then its
// pixels, the shape text its edits left in the plug-in's saved state, or what a hundred windows
// opened and closed leave behind.
//   window PLUGIN [--shape TEXT] [--press X,Y] [--move X,Y] [--release] [--menu PATH]
//                 [--menu-dismiss] [--png FILE]         prints "shape: TEXT" as tarn-host panel
//   window PLUGIN [events] --close-in-menu              the host closes the editor from its own
//                                                       timer while the popup menu is open
//   window PLUGIN --cycles N                            GDI and USER objects before and after
// --program NAME (an event): the host chooses a program, and waits until the editor has painted
// it. --fp-env NAME: the host's thread in one of the test hosts' floating-point environments
// (fp_host.h) for the plug-in's whole life; every press runs as tarn-host makes a call into a
// module's panel, its own code inside the popup menu (a timer) checked to find that environment,
// and a floating-point trap anywhere fails the run.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace plugtest {

// One plug-in instance's editor as its format opens it. [main] All of it on the host's UI thread.
class PluginView {
public:
    virtual ~PluginView() = default;
    // The shape text put into the plug-in's state, as a host restoring a session does.
    virtual bool loadShape(const std::string& text) = 0;
    // The shape text of the plug-in's state as the host saves it.
    virtual std::string savedShape() = 0;
    // Makes the editor and answers its size; false when the plug-in makes none.
    virtual bool create(int& width, int& height) = 0;
    // Puts the editor into the host's window.
    virtual bool attach(HWND parent) = 0;
    // Takes the editor out and lets it go.
    virtual void destroy() = 0;
    // A timer the plug-in asked for fired on the parent window.
    virtual void timer(UINT_PTR id) { static_cast<void>(id); }
    // Chooses one of the plug-in's programs by its name, as a host does; false where there is none.
    virtual bool loadProgram(const std::string& name) {
        static_cast<void>(name);
        return false;
    }
};

// A DPF state field: the text after its key, each ended by a zero byte.
std::string stateField(const std::string& state, const std::string& key);
bool replaceStateField(std::string& state, const std::string& key, const std::string& value);

// A view made from a plug-in's path, or null when it is not ok(), with the reason in error.
template <class View>
std::unique_ptr<PluginView> madeView(const std::string& path, std::string& error) {
    auto view = std::make_unique<View>(path, error);
    if (!view->ok()) return nullptr;
    return view;
}

// The views of each format, or null with the reason in error.
std::unique_ptr<PluginView> clapView(const std::string& path, std::string& error);
std::unique_ptr<PluginView> vst3View(const std::string& bundle, std::string& error);

// The `window` command of each host: args "window", the plug-in, then the options.
int runClapWindow(const std::vector<std::string>& args);
int runVst3Window(const std::vector<std::string>& args);

}  // namespace plugtest
