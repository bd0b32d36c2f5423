// A VST3 plug-in's editor as a Windows DAW opens it: a host application that makes messages for
// the editor and its controller to talk through, the component and its controller (the component
// itself where it is one, else a separate one connected to it), the controller's view attached to
// an HWND, and the component's state.
#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "plugin_library.h"
#include "plugin_window.h"
#include "travesty/base.h"
#include "travesty/bstream.h"
#include "travesty/component.h"
#include "travesty/edit_controller.h"
#include "travesty/factory.h"
#include "travesty/host.h"
#include "travesty/message.h"
#include "travesty/view.h"

namespace plugtest {

namespace {

// What every object of the host shares: its address holds the address of its table of entries,
// and it lives while the plug-in or the host holds a reference. Derived answers to kIid.
template <class Derived>
struct Counted {
    explicit Counted(const void* entries) : table(entries) {}
    const void* table;  // first: the object's address is where the address of its table is
    std::atomic<uint32_t> references{1};

    static Derived* of(void* self) { return static_cast<Derived*>(self); }
    static uint32_t V3_API ref(void* self) { return ++of(self)->references; }
    static uint32_t V3_API unref(void* self) {
        const uint32_t left = --of(self)->references;
        if (left == 0) delete of(self);
        return left;
    }
    static v3_result V3_API query(void* self, const v3_tuid iid, void** object) {
        if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, Derived::kIid)) {
            ref(self);
            *object = self;
            return V3_OK;
        }
        *object = nullptr;
        return V3_NO_INTERFACE;
    }
    static constexpr v3_funknown kUnknown{&Counted::query, &Counted::ref, &Counted::unref};
};

class Attributes : public Counted<Attributes> {
public:
    static constexpr const v3_tuid& kIid = v3_attribute_list_iid;
    Attributes() : Counted(&kTable) {}
    v3_attribute_list** handle() { return reinterpret_cast<v3_attribute_list**>(this); }

private:
    struct Table {
        v3_funknown unknown;
        v3_attribute_list list;
    };
    template <class Map, class Value>
    static v3_result put(Map& map, const char* id, const Value& value) {
        map[id] = value;
        return V3_OK;
    }
    template <class Map, class Value>
    static v3_result take(const Map& map, const char* id, Value* value) {
        const auto found = map.find(id);
        if (found == map.end()) return V3_INVALID_ARG;
        *value = found->second;
        return V3_OK;
    }
    static v3_result V3_API setString(void* self, const char* id, const int16_t* text) {
        std::vector<int16_t> units;
        for (; text != nullptr && *text != 0; ++text) units.push_back(*text);
        return put(of(self)->strings_, id, units);
    }
    // `size` in bytes, the terminating unit included.
    static v3_result V3_API getString(void* self, const char* id, int16_t* text, uint32_t size) {
        std::vector<int16_t> units;
        if (take(of(self)->strings_, id, &units) != V3_OK || size < sizeof(int16_t)) return V3_INVALID_ARG;
        const size_t n = std::min<size_t>(units.size(), size / sizeof(int16_t) - 1);
        std::copy(units.begin(), units.begin() + static_cast<std::ptrdiff_t>(n), text);
        text[n] = 0;
        return V3_OK;
    }
    static v3_result V3_API setBinary(void* self, const char* id, const void* data, uint32_t size) {
        return put(of(self)->binaries_, id, std::string(static_cast<const char*>(data), size));
    }
    static v3_result V3_API getBinary(void* self, const char* id, const void** data, uint32_t* size) {
        const auto found = of(self)->binaries_.find(id);
        if (found == of(self)->binaries_.end()) return V3_INVALID_ARG;
        *data = found->second.data();
        *size = static_cast<uint32_t>(found->second.size());
        return V3_OK;
    }
    static const Table kTable;

    std::map<std::string, int64_t> ints_;
    std::map<std::string, double> floats_;
    std::map<std::string, std::vector<int16_t>> strings_;
    std::map<std::string, std::string> binaries_;
};

const Attributes::Table Attributes::kTable{
    kUnknown,
    {[](void* self, const char* id, int64_t v) { return put(of(self)->ints_, id, v); },
     [](void* self, const char* id, int64_t* v) { return take(of(self)->ints_, id, v); },
     [](void* self, const char* id, double v) { return put(of(self)->floats_, id, v); },
     [](void* self, const char* id, double* v) { return take(of(self)->floats_, id, v); }, &setString, &getString,
     &setBinary, &getBinary}};

class Message : public Counted<Message> {
public:
    static constexpr const v3_tuid& kIid = v3_message_iid;
    Message() : Counted(&kTable) {}
    ~Message() { Attributes::unref(attributes_); }

private:
    struct Table {
        v3_funknown unknown;
        v3_message message;
    };
    static const Table kTable;

    std::string id_;
    Attributes* attributes_ = new Attributes;
};

const Message::Table Message::kTable{
    kUnknown,
    {[](void* self) { return of(self)->id_.c_str(); },
     [](void* self, const char* id) { of(self)->id_ = id != nullptr ? id : ""; },
     [](void* self) { return of(self)->attributes_->handle(); }}};

// The bytes of a state, read or written from the start.
class Stream : public Counted<Stream> {
public:
    static constexpr const v3_tuid& kIid = v3_bstream_iid;
    explicit Stream(std::string initial = {}) : Counted(&kTable), bytes(std::move(initial)) {}
    v3_bstream** handle() { return reinterpret_cast<v3_bstream**>(this); }
    std::string bytes;

private:
    struct Table {
        v3_funknown unknown;
        v3_bstream stream;
    };
    static v3_result V3_API read(void* self, void* buffer, int32_t wanted, int32_t* done) {
        Stream* s = of(self);
        const size_t n = std::min<size_t>(static_cast<size_t>(std::max(wanted, 0)), s->bytes.size() - s->at_);
        std::memcpy(buffer, s->bytes.data() + s->at_, n);
        s->at_ += n;
        if (done != nullptr) *done = static_cast<int32_t>(n);
        return V3_OK;
    }
    static v3_result V3_API write(void* self, void* buffer, int32_t count, int32_t* done) {
        of(self)->bytes.append(static_cast<const char*>(buffer), static_cast<size_t>(std::max(count, 0)));
        if (done != nullptr) *done = count;
        return V3_OK;
    }
    static v3_result V3_API seek(void* self, int64_t offset, int32_t mode, int64_t* result) {
        Stream* s = of(self);
        const int64_t size = static_cast<int64_t>(s->bytes.size());
        const int64_t origin = mode == 0 ? 0 : mode == 1 ? static_cast<int64_t>(s->at_) : size;
        s->at_ = static_cast<size_t>(std::min(std::max(origin + offset, int64_t{0}), size));
        if (result != nullptr) *result = static_cast<int64_t>(s->at_);
        return V3_OK;
    }
    static v3_result V3_API tell(void* self, int64_t* position) {
        *position = static_cast<int64_t>(of(self)->at_);
        return V3_OK;
    }
    static const Table kTable;

    size_t at_ = 0;
};

const Stream::Table Stream::kTable{kUnknown, {&read, &write, &seek, &tell}};

// The host as the plug-in's objects know it: it makes the messages they send each other. One
// for the process, never freed.
struct HostApplication {
    struct Table {
        v3_funknown unknown;
        v3_host_application application;
    };
    static const Table kTable;
    const Table* table = &kTable;
    v3_funknown** handle() { return reinterpret_cast<v3_funknown**>(this); }
};

uint32_t V3_API staticReference(void*) { return 1; }

const HostApplication::Table HostApplication::kTable{
    {[](void* self, const v3_tuid iid, void** object) -> v3_result {
         const bool known = v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_host_application_iid);
         *object = known ? self : nullptr;
         return known ? V3_OK : V3_NO_INTERFACE;
     },
     &staticReference, &staticReference},
    {[](void*, v3_str_128 name) -> v3_result {
         const char kName[] = "tarn-vst3-host";
         for (size_t i = 0; i < sizeof kName; ++i) name[i] = kName[i];
         return V3_OK;
     },
     [](void*, v3_tuid, v3_tuid iid, void** object) -> v3_result {
         if (v3_tuid_match(iid, v3_message_iid)) *object = new Message;
         else if (v3_tuid_match(iid, v3_attribute_list_iid)) *object = new Attributes;
         else *object = nullptr;
         return *object != nullptr ? V3_OK : V3_NO_INTERFACE;
     }}};

HostApplication gHost;

// The DAW's frame around the view: it takes whatever size the view asks for.
struct Frame {
    struct Table {
        v3_funknown unknown;
        v3_plugin_frame frame;
    };
    static const Table kTable;
    const Table* table = &kTable;
};

const Frame::Table Frame::kTable{
    {[](void*, const v3_tuid, void** object) -> v3_result {
         *object = nullptr;
         return V3_NO_INTERFACE;
     },
     &staticReference, &staticReference},
    {[](void*, v3_plugin_view**, v3_view_rect*) -> v3_result { return V3_OK; }}};

Frame gFrame;

template <class Interface>
Interface** queryInterface(void* object, const v3_tuid iid) {
    void* found = nullptr;
    if (object == nullptr) return nullptr;
    auto** unknown = static_cast<v3_funknown**>(object);
    return (*unknown)->query_interface(unknown, iid, &found) == V3_OK ? static_cast<Interface**>(found) : nullptr;
}

template <class Interface>
void release(Interface** object) {
    if (object != nullptr) v3_cpp_obj_unref(object);
}

class Vst3View : public PluginView {
public:
    Vst3View(const std::string& bundle, std::string& error) {
        library_ = openLibrary(vst3Binary(bundle));
        using GetFactory = v3_plugin_factory** (*)();
        auto getFactory = library_ != nullptr ? reinterpret_cast<GetFactory>(librarySymbol(library_, "GetPluginFactory"))
                                              : nullptr;
        if (getFactory == nullptr || !enterVst3Module(library_)) {
            error = "not a VST3 plug-in: " + bundle;
            return;
        }
        entered_ = true;
        v3_plugin_factory** factory = getFactory();
        v3_class_info info{};
        void* made = nullptr;
        v3_cpp_obj(factory)->get_class_info(factory, 0, &info);
        if (v3_cpp_obj(factory)->create_instance(factory, info.class_id, v3_component_iid, &made) != V3_OK) {
            error = "the library made no component";
            return;
        }
        component_ = static_cast<v3_component**>(made);
        v3_cpp_obj_initialize(component_, gHost.handle());
        controller_ = queryInterface<v3_edit_controller>(component_, v3_edit_controller_iid);
        if (controller_ == nullptr) {
            v3_tuid controllerId{};
            v3_cpp_obj(component_)->get_controller_class_id(component_, controllerId);
            if (v3_cpp_obj(factory)->create_instance(factory, controllerId, v3_edit_controller_iid, &made) != V3_OK) {
                error = "the library made no controller";
                return;
            }
            controller_ = static_cast<v3_edit_controller**>(made);
            v3_cpp_obj_initialize(controller_, gHost.handle());
            separate_ = true;
        }
        // Each side's connection point told of the other's, as a DAW does.
        if (separate_) {
            componentPoint_ = queryInterface<v3_connection_point>(component_, v3_connection_point_iid);
            controllerPoint_ = queryInterface<v3_connection_point>(controller_, v3_connection_point_iid);
        }
        if (componentPoint_ != nullptr && controllerPoint_ != nullptr) {
            v3_cpp_obj(componentPoint_)->connect(componentPoint_, controllerPoint_);
            v3_cpp_obj(controllerPoint_)->connect(controllerPoint_, componentPoint_);
        }
        std::string state;
        if (save(state)) tellController(state);
    }

    ~Vst3View() override {
        destroy();
        if (componentPoint_ != nullptr && controllerPoint_ != nullptr) {
            v3_cpp_obj(componentPoint_)->disconnect(componentPoint_, controllerPoint_);
            v3_cpp_obj(controllerPoint_)->disconnect(controllerPoint_, componentPoint_);
        }
        release(componentPoint_);
        release(controllerPoint_);
        if (controller_ != nullptr && separate_) v3_cpp_obj_terminate(controller_);
        release(controller_);
        if (component_ != nullptr) {
            v3_cpp_obj_terminate(component_);
            release(component_);
        }
        if (entered_) leaveVst3Module(library_);
        if (library_ != nullptr) closeLibrary(library_);
    }

    bool ok() const { return controller_ != nullptr; }

    bool loadShape(const std::string& text) override {
        std::string state;
        if (!save(state) || !replaceStateField(state, "shape", text)) return false;
        auto* stream = new Stream(state);
        const bool loaded = v3_cpp_obj(component_)->set_state(component_, stream->handle()) == V3_OK;
        Stream::unref(stream);
        return loaded && tellController(state);
    }

    // The program parameter's value whose text is the name, set as a host sets it.
    bool loadProgram(const std::string& name) override {
        const int32_t count = v3_cpp_obj(controller_)->get_parameter_count(controller_);
        for (int32_t i = 0; i < count; ++i) {
            v3_param_info info{};
            v3_cpp_obj(controller_)->get_parameter_info(controller_, i, &info);
            if (!(info.flags & V3_PARAM_PROGRAM_CHANGE) || info.step_count < 1) continue;
            for (int32_t k = 0; k <= info.step_count; ++k) {
                const double value = static_cast<double>(k) / info.step_count;
                v3_str_128 text{};
                v3_cpp_obj(controller_)->get_parameter_string_for_value(controller_, info.param_id, value, text);
                std::string ascii;
                for (int c = 0; c < 128 && text[c] != 0; ++c) ascii += static_cast<char>(text[c]);
                if (ascii == name)
                    return v3_cpp_obj(controller_)->set_parameter_normalised(controller_, info.param_id, value) == V3_OK;
            }
        }
        return false;
    }

    std::string savedShape() override {
        std::string state;
        return save(state) ? stateField(state, "shape") : "";
    }

    bool create(int& width, int& height) override {
        view_ = v3_cpp_obj(controller_)->create_view(controller_, "editor");
        if (view_ == nullptr || v3_cpp_obj(view_)->is_platform_type_supported(view_, V3_VIEW_PLATFORM_TYPE_HWND) != V3_OK)
            return false;
        v3_view_rect rect{};
        if (v3_cpp_obj(view_)->get_size(view_, &rect) != V3_OK) return false;
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
        return true;
    }

    bool attach(HWND parent) override {
        v3_cpp_obj(view_)->set_frame(view_, reinterpret_cast<v3_plugin_frame**>(&gFrame));
        attached_ = v3_cpp_obj(view_)->attached(view_, parent, V3_VIEW_PLATFORM_TYPE_HWND) == V3_OK;
        return attached_;
    }

    void destroy() override {
        if (view_ == nullptr) return;
        if (attached_) v3_cpp_obj(view_)->removed(view_);
        attached_ = false;
        release(view_);
        view_ = nullptr;
    }

private:
    bool save(std::string& out) {
        auto* stream = new Stream;
        const bool saved = v3_cpp_obj(component_)->get_state(component_, stream->handle()) == V3_OK;
        out = stream->bytes;
        Stream::unref(stream);
        return saved;
    }

    // The controller learns of the component's state as a DAW hands it over after a load.
    bool tellController(const std::string& state) {
        auto* stream = new Stream(state);
        const bool told = v3_cpp_obj(controller_)->set_component_state(controller_, stream->handle()) == V3_OK;
        Stream::unref(stream);
        return told;
    }

    void* library_ = nullptr;
    bool entered_ = false;
    v3_component** component_ = nullptr;
    v3_edit_controller** controller_ = nullptr;
    bool separate_ = false;  // a controller of its own, not the component
    v3_connection_point** componentPoint_ = nullptr;
    v3_connection_point** controllerPoint_ = nullptr;
    v3_plugin_view** view_ = nullptr;
    bool attached_ = false;
};

}  // namespace

std::unique_ptr<PluginView> vst3View(const std::string& bundle, std::string& error) {
    return madeView<Vst3View>(bundle, error);
}

}  // namespace plugtest
