// The loaded library's owner: what every platform shares.
#include "platform/os/DynamicLibrary.h"

#include <utility>

namespace dravo {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : m_Handle(std::exchange(other.m_Handle, nullptr)), m_Error(std::move(other.m_Error)) {}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Close();
        m_Handle = std::exchange(other.m_Handle, nullptr);
        m_Error = std::move(other.m_Error);
    }
    return *this;
}

} // namespace dravo
