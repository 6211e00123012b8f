#pragma once
// COM-style reference counting for the gl backend's objects: created with one reference,
// deleted when the last one is released. Used on the user-interface thread only.

#include "render/d3d9/d3d9.h"

namespace velmora::d3d9::gl {

template <class Interface>
class RefCounted : public Interface {
public:
    ULONG AddRef() override { return ++references_; }

    ULONG Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

private:
    ULONG references_ = 1;
};

}  // namespace velmora::d3d9::gl
