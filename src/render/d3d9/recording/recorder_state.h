#pragma once
// Bookkeeping shared by the recorder and the recording objects: object records, injected
// failures and the logging step every recorded call goes through.

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "render/d3d9/recording/recorded_objects.h"

namespace velmora::d3d9::recording {

// Lets the recorder own recording objects of every interface.
class RecordingObject {
public:
    virtual ~RecordingObject() = default;
};

struct RecorderState {
    struct Failure {
        HRESULT result;
        int remaining;  // negative: every call
    };

    std::vector<RecordedCall> calls;
    std::vector<std::string> problems;
    std::vector<std::unique_ptr<RecordedObject>> records;
    std::vector<std::unique_ptr<RecordingObject>> objects;
    std::map<const IUnknown*, RecordedObject*> recordOf;
    std::map<std::string, Failure, std::less<>> failures;
    std::map<ObjectKind, int> madeOfKind;
    UINT windowWidth = 640;
    UINT windowHeight = 480;

    // Makes a record for a new object; it keeps `parent` alive until it is freed.
    RecordedObject& NewRecord(ObjectKind kind, RecordedObject* parent);
    void Register(const IUnknown* object, RecordedObject& record);
    std::string IdOf(const IUnknown* object) const;
    RecordedObject* RecordOf(const IUnknown* object) const;

    // The injected failure for `name`, consuming one use of it.
    std::optional<HRESULT> TakeFailure(const std::string& name);

    // Drops one reference of `record`; at zero the object is freed and lets go of its parent.
    ULONG DropReference(RecordedObject& record);

    // Logs the call `interfaceName::method` on `record` (null for free functions): reports a
    // call on a freed object, applies an injected failure instead of `action`, else runs it.
    HRESULT Log(RecordedObject* record, const std::string& interfaceName, const char* method,
                std::vector<std::string> args, const std::function<HRESULT()>& action);

    void Problem(std::string text) { problems.push_back(std::move(text)); }
    RecordedCall& LastCall() { return calls.back(); }
};

// Reference counting and logging common to every recording interface.
template <class Interface>
class Recording : public Interface, public RecordingObject {
public:
    Recording(RecorderState& state, RecordedObject& record, const char* interfaceName)
        : state_(state), record_(record), interface_(interfaceName) {}

    ULONG AddRef() override {
        ULONG count = 0;
        if (record_.freed) {
            state_.Problem("AddRef on freed " + record_.id);
        } else {
            count = ++record_.references;
        }
        state_.Log(nullptr, interface_, "AddRef", {}, [] { return D3D_OK; });
        Stamp(count);
        return count;
    }

    ULONG Release() override {
        ULONG count = 0;
        if (record_.freed) {
            state_.Problem("Release of freed " + record_.id);
        } else {
            count = state_.DropReference(record_);
        }
        state_.Log(nullptr, interface_, "Release", {}, [] { return D3D_OK; });
        Stamp(count);
        return count;
    }

protected:
    HRESULT Log(const char* method, std::vector<std::string> args,
                const std::function<HRESULT()>& action) {
        return state_.Log(&record_, interface_, method, std::move(args), action);
    }

    RecorderState& state_;
    RecordedObject& record_;

private:
    void Stamp(ULONG count) {
        RecordedCall& call = state_.LastCall();
        call.object = record_.id;
        call.result = static_cast<HRESULT>(count);
    }

    std::string interface_;
};

}  // namespace velmora::d3d9::recording
