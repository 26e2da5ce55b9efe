#include "app/error_texts.h"

namespace tnx::app {

std::string errorText(int32_t code) {
    switch (code) {
        case kErrNoDirect3D:
            return "Direct3D 8.0 could not be initialized.  Please install the latest version of DirectX.";
        case kErrCouldNotInitialize: return "Could not initialize.";
        case kErrCreateDeviceFailed: return "Could not create the Direct3D device.";
        case kErrNoCompatibleDevices: return "Could not find any compatible Direct3D devices.";
        case kErrNoHardwareDevice: return "No hardware-accelerated Direct3D devices were found.";
        case kErrHalNotCompatible: return "Required functionality is not available on your Direct3D hardware accelerator.";
        case kErrNoWindowedHal:
            return "Required functionality is not available on your Direct3D hardware accelerator with the current "
                   "desktop display settings.";
        case kErrMediaNotFound: return "Could not load required media.";
        case kErrResetFailed: return "Could not reset the Direct3D device.";
        case kErrOutOfMemory: return "Not enough memory.";
        case kErrOutOfVideoMemory: return "Not enough video memory.";
        case kErrNoPreview: return "No preview available";
        default: return "There was an unspecified problem with this program.";
    }
}

}  // namespace tnx::app
