// What the mouse does to the data model, as plain functions: which value a
// press grabs, how pointer travel becomes a new value, what a click or a
// right-button release on a spot means, and how typed text is read and
// limited. The editor window only feeds these with window messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "editor/panel_layout.h"
#include "engine/data_model.h"

// The values a press can grab, in the order the press tests them.
enum DragTarget : int32_t {
  kDragNone = -1,
  kDragIcon = 0,
  kDragKeyswitch = 1,
  kDragModwheel = 2,
  kDragUacc = 3,
  kDragPort = 4,
  kDragChannel = 5,
  kDragDynamics = 6,   // the slider, controller 0
  kDragFirstKnob = 7,  // knobs for controllers 1..4 are targets 7..10
  kDragLastKnob = 10,
};

// Mouse and drag state of one editor; touched on the editor's thread only.
// The cursor hidden during a drag is kept by the window, beside this.
struct EditorDragState {
  PanelPoint pressPoint = kNoPoint;    // client point of the latest left press
  PanelPoint pointerPoint = kNoPoint;  // latest pointer position recorded
  int32_t dragTarget = kDragNone;
  int32_t dragStartValue = 0;
  PanelPoint dragReference = kNoPoint;  // screen; (-1, -1) while no drag runs
  PanelPoint dragAnchor = kNoPoint;     // screen; the pointer returns here
  float verticalAccumulator = 0.0f;     // upward travel / divisor
  float horizontalAccumulator = 0.0f;   // rightward travel / divisor
  uint8_t warpGuard = 0;                // set only while a drag step moves the pointer back

  bool Dragging() const { return !(dragReference == kNoPoint); }
};

struct ValueRange {
  int32_t low, high;
};

// ---------------------------------------------------------------------------
// Press and drag.

// The target a left press at p grabs on the given page, or kDragNone.
int32_t PressTargetAt(int32_t pageIndex, PanelPoint p);
bool IsControllerTarget(int32_t target);
// Controller index 0..4 of a controller target.
int32_t ControllerOfTarget(int32_t target);
ValueRange DragRange(int32_t target);

// The target's value as it stands (slot fields of the shown slot).
int32_t TargetValue(const DataModel& model, int32_t target);
// Stores a slot field, port or channel (targets 0..5) when it differs;
// a new port or channel forgets what was sent. True when it changed.
bool StoreTargetValue(DataModel& model, int32_t target, int32_t value);

// 2 pixels per step, 18 with Shift.
float DragDivisor(bool shiftDown);
// Adds one pointer step (screen pixels, y down) to the accumulators, in
// single precision: right adds to horizontal, up adds to vertical.
void AccumulateDrag(EditorDragState& drag, int32_t dx, int32_t dy, float divisor);
// The dragged value: start + trunc(V / 4) for slot fields, port and
// channel; start + trunc(H) for the slider; start + trunc(V) for knobs;
// held within the target's range.
int32_t DragValue(int32_t target, int32_t start, float vertical, float horizontal);

// Absolute coordinate 0..65535 of a synthetic pointer move:
// trunc(65534 / screen size * position).
int32_t AbsoluteInputCoordinate(int32_t position, int32_t screenSize);

// A release within 5 pixels of the press in both directions is a click.
bool IsClick(PanelPoint press, PanelPoint release);

// ---------------------------------------------------------------------------
// Click and right-button release.

struct ClickAction {
  enum Kind { kNone, kSelectSlot, kToggleGhosting, kTogglePreserve, kToggleHold, kSelectPage };
  Kind kind = kNone;
  int32_t index = -1;  // slot or page
};

// What a left click at p does on the given page. The click regions never
// overlap, so at most one applies.
ClickAction ClickActionAt(int32_t pageIndex, PanelPoint p);

enum PromptField : int32_t {
  kPromptIcon,
  kPromptKeyswitch,
  kPromptModwheel,
  kPromptUacc,
  kPromptPort,
  kPromptChannel,
  kPromptName,
  kPromptAdditions,  // the slot's additions, as one line of text
};

struct RightClickAction {
  enum Kind { kNone, kParameterMenu, kPrompt };
  Kind kind = kNone;
  int32_t value = -1;  // parameter index or PromptField
};

RightClickAction RightClickActionAt(int32_t pageIndex, PanelPoint p);

// ---------------------------------------------------------------------------
// Prompts.

constexpr size_t kPromptBufferSize = 256;

const char* PromptCaption(int32_t field);

// While the pointer rests on the articulation page's summary of the shown
// slot's additions: their whole text, as the prompt edits it, cut to the
// kHintSize - 1 bytes a hint holds; empty anywhere else and for a slot
// without additions.
constexpr size_t kHintSize = 256;
std::string AdditionsHintAt(const DataModel& model, PanelPoint p);
// The number a prompt starts with.
int32_t PromptFieldValue(const DataModel& model, int32_t field);
// Decimal conversion of typed text: leading blanks and a sign accepted,
// stops at the first non-digit, 0 without digits. Reads at most size bytes
// even when no terminator comes; saturates at the 32-bit limits.
int32_t ParsePromptNumber(const char* text, size_t size);
// Stores a typed number: slot fields held in their ranges (icon 0..127,
// the others -1..127); a port outside 0..255 becomes 255 and a channel
// outside 0..15 becomes 15, and either forgets what was sent.
void StorePromptNumber(DataModel& model, int32_t field, int32_t value);
// A typed name: up to the first zero byte within size bytes, at most 255.
std::string PromptName(const char* text, size_t size);
// A prompt's starting text: the buffer zeroed, then the number ("%i") or
// the name (at most 255 bytes, so a terminator always follows).
void FillNumberPrompt(char (&buffer)[kPromptBufferSize], int32_t value);
void FillNamePrompt(char (&buffer)[kPromptBufferSize], const std::string& name);

// ---------------------------------------------------------------------------
// Texts.

constexpr size_t kMessageSize = 32;
// "CC %i: %i" and "CC #%i set to %i".
void FormatControllerMessage(char (&text)[kMessageSize], int32_t cc, int32_t value);
void FormatControllerSetMessage(char (&text)[kMessageSize], int32_t cc, int32_t value);
// "%i", or "---" when negative (modwheel and UACC).
void FormatOptionalValue(char (&text)[16], int32_t value);
// The name the articulation page shows for a slot with an empty name.
void FormatDefaultName(char (&text)[32], int32_t slot);
