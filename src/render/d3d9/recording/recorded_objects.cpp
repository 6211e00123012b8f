#include "render/d3d9/recording/recorded_objects.h"

#include "render/d3d9/recording/d3d9_names.h"

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

}  // namespace velmora::d3d9::recording
