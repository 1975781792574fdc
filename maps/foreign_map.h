// Another music program's articulation map as read from its file, before it
// becomes plug-in settings: each articulation with everything it sends and
// every setting it carries, in the file's own terms. A reader only parses
// and checks its format; one conversion (ImportForeignMap, map_import.h)
// applies the import rules, so every format keeps, drops and warns alike.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One thing an articulation sends when it is selected, in send order.
struct ForeignOutput {
  enum class Kind : uint8_t {
    Note,           // note-on then note-off: data1 note, data2 velocity
    HeldNote,       // note-on held until the next articulation: data1, data2 as Note
    ControlChange,  // data1 controller, data2 value
    ProgramChange,  // data1 program
    PitchBend,      // data1 the bend -8192..8191, 0 the centre
    Routing,        // sends nothing itself, only plays the notes on `channel`
    Other,          // anything else the file names; `text` says what
  };
  Kind kind = Kind::Other;
  int channel = -1;  // 0-based channel the output goes to; -1 for the track's own
  // Whether the played notes also go to this output's channel (the format's
  // routing); an articulation none of whose outputs routes plays them on the
  // plug-in's channel.
  bool routes = true;
  int data1 = 0;
  int data2 = 0;
  std::string text;  // the output as the file spells it, quoted in warnings
};

struct ForeignArticulation {
  std::string name;      // UTF-8, as the file gives it (already trimmed)
  std::string iconName;  // the format's icon or symbol name; empty when it has none
  std::vector<ForeignOutput> outputs;
  int transpose = 0;  // semitones added to the played notes
  // Settings of the articulation that change what the instrument receives
  // and that the plug-in has no place for, each already described for a
  // warning: "velocityFact \"0.8\"", "flags toggle (f=toggle)", ...
  std::vector<std::string> extras;
  // Settings that never reach the instrument (colours, remote or input
  // keys, visuals), described alike for a note line: "dropped <note>".
  std::vector<std::string> notes;
  // What the import made of a setting that never reaches the instrument,
  // when it is not dropped but taken another way, said whole for a note
  // line: "group 2 (g=2): a slot like the others; ...".
  std::vector<std::string> remarks;
  bool hidden = false;  // left out of the import: its program hides it, or `hiddenBecause`
  std::string where;    // where it stands in the file: "line 12", "slot 3", ...
  // Why the format itself makes it no articulation, for the note that says
  // so ("it sends nothing"); empty when its program hides it.
  std::string hiddenBecause;
};

struct ForeignBank {
  std::string name;         // what --bank matches first
  std::string displayName;  // a second name --bank also accepts; may be empty
  std::vector<ForeignArticulation> articulations;  // in file order
  // Settings of the bank as a whole that the plug-in has no place for,
  // split as the articulations' extras and notes are.
  std::vector<std::string> extras;
  std::vector<std::string> notes;
  std::string where;  // where the bank starts: "line 3", ...; may be empty
  // Why the bank cannot be imported (a clone of a bank the file lacks);
  // empty for a bank that can. The file's other banks import all the same.
  std::string problem;
  // The group (a path, parts split by '/') its program files it under, which
  // tells banks of one name apart: --bank accepts GROUP/NAME. May be empty.
  std::string group;
  // Where the bank stands in its maker's library, outermost first, as the
  // file names it: a Universal Definition file's maker, product and patch; a
  // Reaticulate bank's g= path split at its slashes ("Spitfire", "Symphonic
  // Brass", "Horns"). Empty when the format says not.
  std::vector<std::string> library;
};

struct ForeignMap {
  // At least one; each has articulations, or else a problem.
  std::vector<ForeignBank> banks;
};

// A file a reader refuses: `where` is the line or element ("line 7",
// "<Articulations>[3].Output"), `message` the problem.
struct ImportError {
  std::string where;
  std::string message;
};
