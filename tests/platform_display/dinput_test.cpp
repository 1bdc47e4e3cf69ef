// The DirectInput mouse: creation, data format and cooperative level, the
// immediate state, the event buffer (order, flush, overflow, merged motion)
// and loss of the foreground.
#define DIRECTINPUT_VERSION 0x0700
#include "display_fixture.h"
#include <dinput.h>

#include "seam/faults.h"
#include "seam/input.h"
#include "seam/mouse.h"

namespace {

IDirectInput7A* MakeInput() {
    IDirectInput7A* input = nullptr;
    EXPECT_EQ(DirectInputCreateEx(GetModuleHandleA(nullptr), 0x0700, IID_IDirectInput7A,
                                  reinterpret_cast<void**>(&input), nullptr),
              DI_OK);
    return input;
}

HRESULT SetBufferSize(IDirectInputDevice7A* mouse, DWORD size) {
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof(DIPROPDWORD);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwObj = 0;
    property.diph.dwHow = DIPH_DEVICE;
    property.dwData = size;
    return mouse->SetProperty(DIPROP_BUFFERSIZE, &property.diph);
}

// A mouse that works without an active window: shared and in the background.
class MouseTest : public ::testing::Test {
protected:
    void SetUp() override {
        input = MakeInput();
        ASSERT_NE(input, nullptr);
        ASSERT_EQ(input->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, reinterpret_cast<void**>(&mouse),
                                        nullptr),
                  DI_OK);
        ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
        ASSERT_EQ(mouse->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    }
    void TearDown() override {
        EXPECT_EQ(mouse->Release(), 0u);
        EXPECT_EQ(input->Release(), 0u);
    }
    std::vector<DIDEVICEOBJECTDATA> Drain(DWORD max, HRESULT expected = DI_OK) {
        std::vector<DIDEVICEOBJECTDATA> records(max);
        DWORD count = max;
        EXPECT_EQ(mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), records.data(), &count, 0), expected);
        records.resize(count);
        return records;
    }
    IDirectInput7A* input = nullptr;
    IDirectInputDevice7A* mouse = nullptr;
};

}  // namespace

TEST(DirectInputCreate, VersionsAndInterfaces) {
    void* out = nullptr;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    EXPECT_EQ(DirectInputCreateEx(instance, 0x0800, IID_IDirectInput7A, &out, nullptr), DIERR_OLDDIRECTINPUTVERSION);
    EXPECT_EQ(DirectInputCreateEx(instance, 0x0700, IID_IDirectInputDevice7A, &out, nullptr), DIERR_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    IDirectInput7A* input = MakeInput();
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->CreateDeviceEx(GUID_SysMouse, IID_IDirectDraw7, &out, nullptr), DIERR_NOINTERFACE);
    EXPECT_EQ(input->CreateDeviceEx(GUID_XAxis, IID_IDirectInputDevice7A, &out, nullptr), DIERR_DEVICENOTREG);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(input->Release(), 0u);
}

TEST_F(MouseTest, AcquireAndSettingsWhileAcquired) {
    EXPECT_EQ(mouse->Unacquire(), DI_NOEFFECT);
    EXPECT_EQ(mouse->Acquire(), DI_OK);
    EXPECT_EQ(mouse->Acquire(), S_FALSE);
    EXPECT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DIERR_ACQUIRED);
    EXPECT_EQ(SetBufferSize(mouse, 4), DIERR_ACQUIRED);
    EXPECT_EQ(mouse->Unacquire(), DI_OK);
    DIMOUSESTATE state{};
    EXPECT_EQ(mouse->GetDeviceState(sizeof(state), &state), DIERR_NOTACQUIRED);
    EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_BACKGROUND), E_NOTIMPL);
    EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_FOREGROUND), DIERR_INVALIDPARAM);
    EXPECT_EQ(mouse->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_BACKGROUND),
              DIERR_INVALIDPARAM);
    // Unbuffered until a buffer size is set.
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    DWORD count = 1;
    DIDEVICEOBJECTDATA record{};
    EXPECT_EQ(mouse->GetDeviceData(sizeof(record), &record, &count, 0), DIERR_NOTBUFFERED);
}

TEST_F(MouseTest, StateReportsRelativeMotionSinceTheLastCall) {
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    seam::InjectMouseMotion(3, 4);
    seam::InjectMouseMotion(1, -1);
    seam::InjectMouseButton(1, true);
    seam::InjectMouseWheel(1);
    DIMOUSESTATE state{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 4);
    EXPECT_EQ(state.lY, 3);
    EXPECT_EQ(state.lZ, 120);
    EXPECT_EQ(state.rgbButtons[0], 0);
    EXPECT_EQ(state.rgbButtons[1], 0x80);
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 0);
    EXPECT_EQ(state.lY, 0);
    EXPECT_EQ(state.rgbButtons[1], 0x80);  // still held
    EXPECT_EQ(mouse->GetDeviceState(20, &state), DIERR_INVALIDPARAM);
}

TEST_F(MouseTest, BufferedEventsOldestFirstWithMergedMotion) {
    ASSERT_EQ(SetBufferSize(mouse, 10), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    for (int i = 0; i < 20; ++i) seam::InjectMouseMotion(1, 2);
    seam::InjectMouseButton(0, true);
    seam::InjectMouseMotion(-5, 0);
    seam::InjectMouseButton(0, false);
    const auto records = Drain(10);
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[0].dwOfs, static_cast<DWORD>(DIMOFS_X));
    EXPECT_EQ(static_cast<LONG>(records[0].dwData), 20);
    EXPECT_EQ(records[1].dwOfs, static_cast<DWORD>(DIMOFS_Y));
    EXPECT_EQ(static_cast<LONG>(records[1].dwData), 40);
    EXPECT_EQ(records[2].dwOfs, static_cast<DWORD>(DIMOFS_BUTTON0));
    EXPECT_EQ(records[2].dwData & 0x80, 0x80u);
    EXPECT_EQ(records[3].dwOfs, static_cast<DWORD>(DIMOFS_X));
    EXPECT_EQ(static_cast<LONG>(records[3].dwData), -5);
    EXPECT_EQ(records[4].dwOfs, static_cast<DWORD>(DIMOFS_BUTTON0));
    EXPECT_EQ(records[4].dwData, 0u);
    EXPECT_LT(records[2].dwSequence, records[4].dwSequence);
    EXPECT_TRUE(Drain(10).empty());
}

TEST_F(MouseTest, OneAtATimeFlushAndOverflow) {
    ASSERT_EQ(SetBufferSize(mouse, 3), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    seam::InjectMouseButton(0, true);
    seam::InjectMouseButton(1, true);
    // One record per call, as the play frame asks.
    auto first = Drain(1);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].dwOfs, static_cast<DWORD>(DIMOFS_BUTTON0));
    // A null array with INFINITE empties the buffer.
    DWORD all = INFINITE;
    EXPECT_EQ(mouse->GetDeviceData(sizeof(DIDEVICEOBJECTDATA), nullptr, &all, 0), DI_OK);
    EXPECT_EQ(all, 1u);
    EXPECT_TRUE(Drain(3).empty());

    // Five presses into room for three: the newest two are lost, and the next read says so.
    for (int i = 0; i < 5; ++i) seam::InjectMouseButton(i % 2, i % 4 < 2);
    const auto kept = Drain(5, DI_BUFFEROVERFLOW);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].dwOfs, static_cast<DWORD>(DIMOFS_BUTTON0));
    EXPECT_EQ(kept[1].dwOfs, static_cast<DWORD>(DIMOFS_BUTTON1));
    EXPECT_EQ(kept[2].dwOfs, static_cast<DWORD>(DIMOFS_BUTTON0));
    EXPECT_TRUE(Drain(5, DI_OK).empty());

    // Peeking leaves the records in place.
    seam::InjectMouseButton(1, false);
    DIDEVICEOBJECTDATA record{};
    DWORD one = 1;
    EXPECT_EQ(mouse->GetDeviceData(sizeof(record), &record, &one, DIGDD_PEEK), DI_OK);
    EXPECT_EQ(one, 1u);
    EXPECT_EQ(Drain(1).size(), 1u);
    EXPECT_EQ(mouse->GetDeviceData(24 + 1, &record, &one, 0), DIERR_INVALIDPARAM);
}

TEST_F(MouseTest, SeamFailuresAndUnacquiredInput) {
    ASSERT_EQ(SetBufferSize(mouse, 4), DI_OK);
    seam::InjectMouseButton(0, true);  // not acquired: not recorded
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    EXPECT_TRUE(Drain(4).empty());
    seam::InjectMouseButton(0, false);
    seam::FailNextCalls(seam::FaultCall::GetDeviceData, 1, DIERR_INPUTLOST);
    DWORD count = 4;
    DIDEVICEOBJECTDATA records[4];
    EXPECT_EQ(mouse->GetDeviceData(sizeof(records[0]), records, &count, 0), DIERR_INPUTLOST);
    EXPECT_EQ(Drain(4).size(), 1u);
    seam::ClearFaults();
}

TEST(MouseForeground, LosingTheForegroundLosesTheDevice) {
    TestWindow window;
    IDirectInput7A* input = MakeInput();
    ASSERT_NE(input, nullptr);
    IDirectInputDevice7A* mouse = nullptr;
    ASSERT_EQ(input->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, reinterpret_cast<void**>(&mouse),
                                    nullptr),
              DI_OK);
    ASSERT_EQ(mouse->SetDataFormat(&c_dfDIMouse), DI_OK);
    ASSERT_EQ(mouse->SetCooperativeLevel(window.handle(), DISCL_EXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    ASSERT_EQ(SetBufferSize(mouse, 10), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);

    window.Activate(false);
    DWORD count = 1;
    DIDEVICEOBJECTDATA record{};
    EXPECT_EQ(mouse->GetDeviceData(sizeof(record), &record, &count, 0), DIERR_INPUTLOST);
    DIMOUSESTATE state{};
    EXPECT_EQ(mouse->GetDeviceState(sizeof(state), &state), DIERR_INPUTLOST);
    EXPECT_EQ(mouse->Acquire(), DIERR_OTHERAPPHASPRIO);  // not while another program has the foreground

    window.Activate(true);
    EXPECT_EQ(mouse->Acquire(), DI_OK);
    seam::InjectMouseButton(0, true);
    count = 1;
    EXPECT_EQ(mouse->GetDeviceData(sizeof(record), &record, &count, 0), DI_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(mouse->Release(), 0u);
    EXPECT_EQ(input->Release(), 0u);
}

TEST_F(MouseTest, TwoDevicesEachSeeEveryMotionOnce) {
    // The window system's own motion event, through the one pump; a second
    // device must not double what either reads.
    TestWindow window;
    IDirectInputDevice7A* second = nullptr;
    ASSERT_EQ(input->CreateDeviceEx(GUID_SysMouse, IID_IDirectInputDevice7A, reinterpret_cast<void**>(&second),
                                    nullptr),
              DI_OK);
    ASSERT_EQ(second->SetDataFormat(&c_dfDIMouse), DI_OK);
    ASSERT_EQ(second->SetCooperativeLevel(nullptr, DISCL_NONEXCLUSIVE | DISCL_BACKGROUND), DI_OK);
    ASSERT_EQ(mouse->Acquire(), DI_OK);
    ASSERT_EQ(second->Acquire(), DI_OK);
    seam::PushMouseMotion(window.handle(), 100, 100, 7, -2);
    ::Drain();
    for (IDirectInputDevice7A* device : {mouse, second}) {
        DIMOUSESTATE state{};
        ASSERT_EQ(device->GetDeviceState(sizeof(state), &state), DI_OK);
        EXPECT_EQ(state.lX, 7);
        EXPECT_EQ(state.lY, -2);
    }
    // With one device gone the other still hears the window system.
    EXPECT_EQ(second->Release(), 0u);
    seam::PushMouseMotion(window.handle(), 101, 100, 1, 0);
    ::Drain();
    DIMOUSESTATE state{};
    ASSERT_EQ(mouse->GetDeviceState(sizeof(state), &state), DI_OK);
    EXPECT_EQ(state.lX, 1);
}
