#include "layer_link.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Set by the layer's start-up, before any static constructor of a test runs.
const layer::testing::Hooks* attached = nullptr;

}  // namespace

extern "C" __attribute__((visibility("default"))) void winlayer_seam_attach(const layer::testing::Hooks* hooks) {
    attached = hooks;
}

namespace seam {

const layer::testing::Hooks& Layer() {
    if (!attached) {
        std::fputs("seam: the layer did not attach to the test seam\n", stderr);
        std::abort();
    }
    return *attached;
}

}  // namespace seam
