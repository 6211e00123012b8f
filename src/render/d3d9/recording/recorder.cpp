#include "render/d3d9/recording/recorder.h"

#include <utility>

#include "render/d3d9/recording/recorder_state.h"
#include "render/d3d9/recording/recording_direct3d.h"

namespace velmora::d3d9::recording {

Recorder::Recorder() : state_(std::make_unique<RecorderState>()) {}

Recorder::~Recorder() = default;

Direct3DFactory Recorder::Factory() {
    return [this]() -> IDirect3D9* {
        IDirect3D9* made = nullptr;
        state_->Log(nullptr, "", "Direct3DCreate9", {std::to_string(D3D_SDK_VERSION)}, [&] {
            made = MakeRecordingDirect3D(*state_);
            return D3D_OK;
        });
        return made;
    };
}

const std::vector<RecordedCall>& Recorder::Calls() const {
    return state_->calls;
}

void Recorder::ClearCalls() {
    state_->calls.clear();
}

const std::vector<std::string>& Recorder::Problems() const {
    return state_->problems;
}

void Recorder::FailCall(std::string name, HRESULT result, int times) {
    state_->failures[std::move(name)] = RecorderState::Failure{result, times};
}

void Recorder::ClearFailures() {
    state_->failures.clear();
}

void Recorder::SetWindowClientSize(UINT width, UINT height) {
    state_->windowWidth = width;
    state_->windowHeight = height;
}

std::vector<RecordedCall> Recorder::CallsNamed(std::string_view name) const {
    std::vector<RecordedCall> found;
    for (const RecordedCall& call : state_->calls) {
        if (call.name == name) {
            found.push_back(call);
        }
    }
    return found;
}

std::vector<std::string> Recorder::CallLog() const {
    std::vector<std::string> log;
    log.reserve(state_->calls.size());
    for (const RecordedCall& call : state_->calls) {
        log.push_back(call.ToString());
    }
    return log;
}

const RecordedObject* Recorder::Find(const IUnknown* object) const {
    return state_->RecordOf(object);
}

const RecordedObject* Recorder::Find(std::string_view id) const {
    for (const auto& record : state_->records) {
        if (record->id == id) {
            return record.get();
        }
    }
    return nullptr;
}

std::vector<std::string> Recorder::LiveObjects() const {
    std::vector<std::string> live;
    for (const auto& record : state_->records) {
        if (!record->freed) {
            live.push_back(record->id);
        }
    }
    return live;
}

}  // namespace velmora::d3d9::recording
