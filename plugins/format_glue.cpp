// The format glue's shared pieces: floating-point environment, volts, two-source inputs.
#include "format_glue.h"

#include <charconv>
#include <cstring>

namespace tarn {

namespace {

#if defined(__i386__) || defined(__x86_64__)
constexpr uint32_t kModuleMxcsr = 0x1F80;      // all masked, nearest, no FTZ, no DAZ
constexpr uint16_t kModuleX87Control = 0x037F;  // all masked, 64-bit precision, nearest
#endif

uint32_t bitsOf(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

}  // namespace

#if defined(__i386__) || defined(__x86_64__)
ModuleFloatingPoint::ModuleFloatingPoint() noexcept {
    __asm__ volatile("stmxcsr %0" : "=m"(mxcsr_));
    __asm__ volatile("fnstcw %0" : "=m"(x87Control_));
    const uint32_t sse = kModuleMxcsr;
    const uint16_t x87 = kModuleX87Control;
    __asm__ volatile("ldmxcsr %0" : : "m"(sse));
    __asm__ volatile("fldcw %0" : : "m"(x87));
}

ModuleFloatingPoint::~ModuleFloatingPoint() {
    __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr_));
    __asm__ volatile("fldcw %0" : : "m"(x87Control_));
}
#else
ModuleFloatingPoint::ModuleFloatingPoint() noexcept : mxcsr_(0), x87Control_(0) {}
ModuleFloatingPoint::~ModuleFloatingPoint() = default;
#endif

float signalFromVolts(float volts) {
    char text[48];
    const auto written = std::to_chars(text, text + sizeof text, volts);
    double shortest = 0.0;
    std::from_chars(text, written.ptr, shortest);
    return static_cast<float>(shortest / 10.0);
}

float voltsFromText(const char* text) {
    if (text == nullptr) return 0.0f;
    double volts = 0.0;
    std::from_chars(text, text + std::strlen(text), volts);
    return static_cast<float>(volts);
}

void TwoSourceInput::observe(float streamNow) {
    const uint32_t bits = bitsOf(streamNow);
    if (seen_ && bits != lastStreamBits_) followsStream_ = true;
    lastStreamBits_ = bits;
    seen_ = true;
}

void TwoSourceInput::set(float value) {
    held_ = value;
    followsStream_ = false;
}

}  // namespace tarn
