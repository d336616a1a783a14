#include "DirectX8.h"

#include <mutex>

namespace qxsound::platform {

namespace {

std::mutex factoryMutex;
DirectX8Factory& Factory() {
    static DirectX8Factory factory;
    return factory;
}

}  // namespace

std::shared_ptr<DirectX8> CreateDirectX8() {
    DirectX8Factory factory;
    {
        std::lock_guard lock(factoryMutex);
        factory = Factory();
    }
    return factory ? factory() : CreateOpenALDirectX8();
}

void SetDirectX8Factory(DirectX8Factory factory) {
    std::lock_guard lock(factoryMutex);
    Factory() = std::move(factory);
}

}  // namespace qxsound::platform
