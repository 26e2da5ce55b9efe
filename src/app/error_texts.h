// Error codes of the shell and the texts shown for them.
#pragma once

#include <cstdint>
#include <string>

namespace tnx::app {

constexpr int32_t kErrFail = int32_t(0x80004005);            // unspecified
constexpr int32_t kErrOutOfMemory = int32_t(0x8007000E);
constexpr int32_t kErrOutOfVideoMemory = int32_t(0x8876017C);
constexpr int32_t kErrNoDirect3D = int32_t(0x82000001);
constexpr int32_t kErrNoCompatibleDevices = int32_t(0x82000003);
constexpr int32_t kErrNoHardwareDevice = int32_t(0x82000005);
constexpr int32_t kErrHalNotCompatible = int32_t(0x82000006);
constexpr int32_t kErrCouldNotInitialize = int32_t(0x82000007);
constexpr int32_t kErrNoWindowedHal = int32_t(0x82000009);
constexpr int32_t kErrMediaNotFound = int32_t(0x8200000B);
constexpr int32_t kErrResetFailed = int32_t(0x8200000C);
constexpr int32_t kErrInitDeviceObjectsFailed = int32_t(0x8200000D);
constexpr int32_t kErrCreateDeviceFailed = int32_t(0x8200000E);
constexpr int32_t kErrNoPreview = int32_t(0x8200000F);

// The text for a code; unknown codes give the unspecified-problem text.
std::string errorText(int32_t code);

}  // namespace tnx::app
