#include "render/d3d9/recording/recorder.h"

#include <utility>

#include "render/d3d9/recording/d3d9_names.h"
#include "render/d3d9/recording/recorder_internals.h"
#include "render/d3d9/recording/recording_direct3d.h"

namespace velmora::d3d9::recording {

std::string RecordedCall::ToString() const {
    std::string text = object.empty() ? name : object + " " + name;
    text += "(";
    for (std::size_t i = 0; i < args.size(); ++i) {
        text += (i == 0 ? "" : ", ") + args[i];
    }
    text += ") -> ";
    const bool counts = name.ends_with("::AddRef") || name.ends_with("::Release");
    text += counts ? std::to_string(result) : ResultName(result);
    return text;
}

Recorder::Recorder() : internals_(std::make_unique<Internals>(*this)) {}

Recorder::~Recorder() = default;

Direct3DFactory Recorder::Factory() {
    return [this]() -> IDirect3D9* {
        IDirect3D9* made = nullptr;
        internals_->Log(nullptr, "", "Direct3DCreate9", {std::to_string(D3D_SDK_VERSION)}, [&] {
            made = MakeRecordingDirect3D(*internals_);
            return D3D_OK;
        });
        return made;
    };
}

void Recorder::FailCall(std::string name, HRESULT result, int times) {
    internals_->failures[std::move(name)] = Internals::Failure{result, times};
}

void Recorder::ClearFailures() {
    internals_->failures.clear();
}

void Recorder::SetWindowClientSize(UINT width, UINT height) {
    internals_->windowWidth = width;
    internals_->windowHeight = height;
}

std::vector<RecordedCall> Recorder::CallsNamed(std::string_view name) const {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : calls_) {
        if (call.name == name) {
            found.push_back(call);
        }
    }
    return found;
}

std::vector<std::string> Recorder::CallLog() const {
    std::vector<std::string> log;
    log.reserve(calls_.size());
    for (const RecordedCall& call : calls_) {
        log.push_back(call.ToString());
    }
    return log;
}

const RecordedObject* Recorder::Find(const IUnknown* object) const {
    return internals_->RecordOf(object);
}

const RecordedObject* Recorder::Find(std::string_view id) const {
    for (const auto& record : internals_->records) {
        if (record->id == id) {
            return record.get();
        }
    }
    return nullptr;
}

std::vector<std::string> Recorder::LiveObjects() const {
    std::vector<std::string> live;
    for (const auto& record : internals_->records) {
        if (!record->freed) {
            live.push_back(record->id);
        }
    }
    return live;
}

RecordedObject& Recorder::Internals::NewRecord(ObjectKind kind, RecordedObject* parent) {
    static constexpr std::pair<ObjectKind, const char*> prefixes[] = {
        {ObjectKind::Direct3D, "d3d"},
        {ObjectKind::Device, "device"},
        {ObjectKind::VertexBuffer, "vb"},
        {ObjectKind::IndexBuffer, "ib"},
        {ObjectKind::Texture, "texture"}};
    std::string prefix;
    for (const auto& [known, text] : prefixes) {
        if (known == kind) {
            prefix = text;
        }
    }
    auto record = std::make_unique<RecordedObject>();
    record->kind = kind;
    record->id = prefix + std::to_string(++madeOfKind[kind]);
    record->parent = parent;
    if (parent != nullptr) {
        ++parent->references;
    }
    records.push_back(std::move(record));
    return *records.back();
}

void Recorder::Internals::Register(const IUnknown* object, RecordedObject& record) {
    recordOf[object] = &record;
}

RecordedObject* Recorder::Internals::RecordOf(const IUnknown* object) const {
    const auto found = recordOf.find(object);
    return found == recordOf.end() ? nullptr : found->second;
}

std::string Recorder::Internals::IdOf(const IUnknown* object) const {
    if (object == nullptr) {
        return "null";
    }
    const RecordedObject* record = RecordOf(object);
    return record == nullptr ? "foreign" : record->id;
}

std::optional<HRESULT> Recorder::Internals::TakeFailure(const std::string& name) {
    const auto found = failures.find(name);
    if (found == failures.end() || found->second.remaining == 0) {
        return std::nullopt;
    }
    if (found->second.remaining > 0) {
        --found->second.remaining;
    }
    return found->second.result;
}

ULONG Recorder::Internals::DropReference(RecordedObject& record) {
    const ULONG left = --record.references;
    if (left == 0) {
        record.freed = true;
        if (record.lockCount != 0) {
            Problem(record.id + " freed while locked");
        }
        if (record.parent != nullptr) {
            DropReference(*record.parent);
        }
    }
    return left;
}

HRESULT Recorder::Internals::Log(RecordedObject* record, const std::string& interfaceName,
                                 const char* method, std::vector<std::string> args,
                                 const std::function<HRESULT()>& action) {
    RecordedCall call;
    call.name = interfaceName.empty() ? method : interfaceName + "::" + method;
    call.args = std::move(args);
    if (record != nullptr) {
        call.object = record->id;
    }
    if (record != nullptr && record->freed) {
        Problem(call.name + " on freed " + record->id);
        call.result = D3DERR_INVALIDCALL;
    } else if (const std::optional<HRESULT> failure = TakeFailure(call.name)) {
        call.result = *failure;
    } else {
        call.result = action();
    }
    owner.calls_.push_back(std::move(call));
    return owner.calls_.back().result;
}

}  // namespace velmora::d3d9::recording
