#include "render/d3d9/recording/recorder_state.h"

#include <utility>

namespace velmora::d3d9::recording {

RecordedObject& RecorderState::NewRecord(ObjectKind kind, RecordedObject* parent) {
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

void RecorderState::Register(const IUnknown* object, RecordedObject& record) {
    recordOf[object] = &record;
}

RecordedObject* RecorderState::RecordOf(const IUnknown* object) const {
    const auto found = recordOf.find(object);
    return found == recordOf.end() ? nullptr : found->second;
}

std::string RecorderState::IdOf(const IUnknown* object) const {
    if (object == nullptr) {
        return "null";
    }
    const RecordedObject* record = RecordOf(object);
    return record == nullptr ? "foreign" : record->id;
}

std::optional<HRESULT> RecorderState::TakeFailure(const std::string& name) {
    const auto found = failures.find(name);
    if (found == failures.end() || found->second.remaining == 0) {
        return std::nullopt;
    }
    if (found->second.remaining > 0) {
        --found->second.remaining;
    }
    return found->second.result;
}

ULONG RecorderState::DropReference(RecordedObject& record) {
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

HRESULT RecorderState::Log(RecordedObject* record, const std::string& interfaceName,
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
    calls.push_back(std::move(call));
    return calls.back().result;
}

}  // namespace velmora::d3d9::recording
