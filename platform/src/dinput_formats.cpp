// The predefined mouse data formats: X, Y and Z axes, then the buttons.
#define DIRECTINPUT_VERSION 0x0700
#include "dinput.h"

namespace {

#define AXIS(guid, offset, optional) \
    {&guid, offset, DIDFT_AXIS | DIDFT_ANYINSTANCE | (optional ? DIDFT_OPTIONAL : 0u), 0}
#define BUTTON(offset, optional) {nullptr, offset, DIDFT_BUTTON | DIDFT_ANYINSTANCE | (optional ? DIDFT_OPTIONAL : 0u), 0}

DIOBJECTDATAFORMAT mouseObjects[] = {
    AXIS(GUID_XAxis, DIMOFS_X, false), AXIS(GUID_YAxis, DIMOFS_Y, false), AXIS(GUID_ZAxis, DIMOFS_Z, true),
    BUTTON(12, false), BUTTON(13, false), BUTTON(14, true), BUTTON(15, true),
};

DIOBJECTDATAFORMAT mouse2Objects[] = {
    AXIS(GUID_XAxis, DIMOFS_X, false), AXIS(GUID_YAxis, DIMOFS_Y, false), AXIS(GUID_ZAxis, DIMOFS_Z, true),
    BUTTON(12, false), BUTTON(13, false), BUTTON(14, true), BUTTON(15, true),
    BUTTON(16, true), BUTTON(17, true), BUTTON(18, true), BUTTON(19, true),
};

#undef AXIS
#undef BUTTON

}  // namespace

extern "C" {
const DIDATAFORMAT c_dfDIMouse = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                  sizeof(DIMOUSESTATE), sizeof(mouseObjects) / sizeof(mouseObjects[0]), mouseObjects};
const DIDATAFORMAT c_dfDIMouse2 = {sizeof(DIDATAFORMAT), sizeof(DIOBJECTDATAFORMAT), DIDF_RELAXIS,
                                   sizeof(DIMOUSESTATE2), sizeof(mouse2Objects) / sizeof(mouse2Objects[0]),
                                   mouse2Objects};
}
