// Parameters and host events: the six live controllers, pan and volume, the
// names the host shows, and the percentage hint.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/engine.h"

namespace {

constexpr int32_t kHintMaximum = 127;
constexpr int kHintTextSize = 256;

// 127 / 65536, exact in double; a 32-bit value times it is exact as well.
constexpr double kRescaleFactor = 0.0019378662109375;

int32_t Clamp(int64_t value, int64_t low, int64_t high) {
  return static_cast<int32_t>(value < low ? low : value > high ? high : value);
}

// Decimal digits of value, then "%", NUL-terminated. Written out by hand
// because the formatted-output functions may allocate.
void FormatPercent(int32_t value, char* text) {
  char digits[12];
  int count = 0;
  uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  int length = 0;
  if (value < 0) text[length++] = '-';
  while (count > 0) text[length++] = digits[--count];
  text[length++] = '%';
  text[length] = '\0';
}

const char* ParameterName(int32_t index) {
  switch (index) {
    case 0:
      return "Dynamics";
    case 1:
      return "Breath";
    case 10:
      return "Expression";
    case 15:
      return "Speed";
    case 16:
      return "Release";
    case 17:
      return "Tightness";
    case 19:
      return "Portamento";
    case 20:
      return "Vibrato";
    case 63:
      return "Hold";
    default:
      return nullptr;
  }
}

}  // namespace

int32_t ArticulationEngine::ProcessParam(int32_t index, int32_t value, int32_t flags) {
  if (flags & kParamRescale) {
    // |value| * 127 / 65536 stays far inside 32 bits for any 32-bit value.
    value = static_cast<int32_t>(static_cast<double>(value) * kRescaleFactor);
  }
  // Signed on purpose: a negative index passes, and -1 then broadcasts all six.
  if (index >= kParameterCount) return value;
  if (flags & kParamUpdateValue) {
    const int controller = DataModel::ControllerForParameter(index);
    // Stored clamped, so the bank never holds a value no data byte can carry.
    if (controller >= 0) model.controllers.value[controller] = Clamp(value, 0, 127);
    output_.BroadcastControllers(kBroadcastControllers, index);
    if (flags & kParamShowHint) ShowPercentHint(value, kHintMaximum);
  }
  if ((flags & kParamUpdateControl) && model.pageIndex == kControllerPage) RequestRepaint(false);
  return value;
}

int32_t ArticulationEngine::ProcessEvent(int32_t event, int32_t value, int32_t) {
  if (model.output.ccGhosting != 0) return 0;
  if (event == kEventPan) {
    model.pan = static_cast<uint8_t>(value);
    output_.BroadcastControllers(kBroadcastPan, -1);
  } else if (event == kEventVolume) {
    model.volume = static_cast<uint8_t>(value);
    output_.BroadcastControllers(kBroadcastVolume, -1);
  }
  return 0;
}

void ArticulationEngine::ShowPercentHint(int32_t value, int32_t maximum) {
  // In 64 bits the product cannot overflow; the quotient is what 32-bit
  // arithmetic gives whenever that does not overflow, and saturates when it
  // would. A maximum of 0 saturates toward the value's sign (0 for 0).
  const int64_t product = static_cast<int64_t>(value) * 100;
  int64_t percent;
  if (maximum != 0) {
    percent = product / maximum;
  } else {
    percent = product > 0   ? std::numeric_limits<int64_t>::max()
              : product < 0 ? std::numeric_limits<int64_t>::min()
                            : 0;
  }
  char text[kHintTextSize];
  FormatPercent(
      Clamp(percent, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()),
      text);
  host_->ShowHint(hostTag_, text);
}

void ArticulationEngine::GetName(int32_t section, int32_t index, int32_t value, char* text) const {
  if (text == nullptr) return;
  switch (section) {
    case kNameParameter:
      if (const char* name = ParameterName(index)) {
        std::strcpy(text, name);
      } else {
        std::snprintf(text, kHintTextSize, "CC %lld", static_cast<long long>(index) + 1);
      }
      break;
    case kNameValueText:
      std::snprintf(text, kHintTextSize, "%i", static_cast<int>(value));
      break;
    case kNameColour:
      // Only the sixteen slots have names; any other index gets an empty text.
      model.bank.name.CopyTerminated(index, text, kHintTextSize);
      break;
    default:
      break;
  }
}
