#!/usr/bin/env python3
"""Writes the seeds and dictionaries of the XML map importers' fuzz targets:
the example files, the shapes the readers accept (one line, no declaration,
visuals by reference, Output as dict or array, several maps) and a few damaged
ones. Run from anywhere; rewrites tests/fuzz/corpus/{expression_map,
articulation_plist,doricolib,keyswitch_list} and their .dict files."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLES = os.path.join(HERE, "..", "..", "examples")
CORPUS = os.path.join(HERE, "corpus")


def example(name):
    with open(os.path.join(EXAMPLES, name), encoding="utf-8") as f:
        return f.read()


def event(status, data1, data2):
    return (f'<obj class="POutputEvent" ID="5"><int name="status" value="{status}"/>'
            f'<int name="data1" value="{data1}"/><int name="data2" value="{data2}"/></obj>')


def slot(name, events, more=""):
    return ('<obj class="PSoundSlot" ID="1"><obj class="PSlotThruTrigger" name="remote" ID="2">'
            '<int name="status" value="144"/><int name="data1" value="-1"/></obj>'
            '<obj class="PSlotMidiAction" name="action" ID="3"><member name="noteChanger">'
            '<list name="obj" type="obj"><obj class="PSlotNoteChanger" ID="4">'
            '<int name="channel" value="-1"/><float name="lengthFact" value="1"/></obj></list>'
            '</member><member name="midiMessages"><list name="obj" type="obj">'
            + "".join(events) + '</list></member></obj>' + more +
            f'<member name="name"><string name="s" value="{name}" wide="true"/></member></obj>')


def expression_map(slots, visuals=""):
    return ('<InstrumentMap><string name="name" value="Seed" wide="true"/>'
            '<member name="slotvisuals"><list name="obj" type="obj">' + visuals +
            '</list></member><member name="slots"><list name="obj" type="obj">' + "".join(slots) +
            '</list></member></InstrumentMap>')


VISUAL = ('<obj class="USlotVisuals" ID="9"><int name="displaytype" value="1"/>'
          '<int name="symbol" value="0"/><string name="text" value="pizz" wide="true"/>'
          '<int name="group" value="1"/></obj>')
REFERENCE = ('<member name="sv"><list name="s" type="obj"><obj class="USlotVisuals" ID="9"/>'
             '</list></member>')

expression_maps = {
    "example": example("strings.expressionmap"),
    "one_line": expression_map([slot("Legato", [event(144, 24, 127), event(176, 32, 20)]),
                                slot("Pizz", [event(176, 1, 90), event(192, 3, 0)], REFERENCE)],
                               VISUAL),
    "many_slots": '<?xml version="1.0"?>\n' + expression_map(
        [slot(f"S{i}", [event(144, i, 127)]) for i in range(18)]),
    "cut": example("strings.expressionmap")[:2000],
}


def output(status, mb1, value):
    return (f"<dict><key>MB1</key><integer>{mb1}</integer><key>Status</key>"
            f"<string>{status}</string><key>ValueLow</key><integer>{value}</integer></dict>")


def plist(articulations, more=""):
    return ('<?xml version="1.0" encoding="UTF-8"?>\n<plist version="1.0"><dict>'
            "<key>Articulations</key><array>" + "".join(articulations) + "</array>" + more +
            "<key>Name</key><string>Seed</string></dict></plist>")


def articulation(ident, name, outputs, symbol=""):
    out = (f"<dict><key>ArticulationID</key><integer>{ident}</integer><key>ID</key>"
           f"<integer>{1000 + ident}</integer><key>Name</key><string>{name}</string>")
    if outputs:
        out += "<key>Output</key>" + outputs
    if symbol:
        out += f"<key>Symbol</key><string>{symbol}</string>"
    return out + "</dict>"


plists = {
    "example": example("strings.plist"),
    "dict_and_array": plist(
        [articulation(1, "Legato", output("Note ON", 24, 127), "Legato"),
         articulation(2, "Short", "<array>" + output("Controller", 32, 40) +
                      output("Pitch Bend", 0, 64) + "</array>")],
        "<key>Switches</key><array><dict><key>ID</key><integer>1002</integer>"
        "<key>MB1</key><integer>12</integer></dict></array>"
        "<key>OctaveOffset</key><integer>1</integer>"),
    "no_status": plist([articulation(1, "Sus", "<dict><key>MB1</key><integer>30</integer>"
                                     "<key>ValueLow</key><integer>100</integer></dict>")]),
    "binary": "bplist00\x08\x09",
    # As Logic saves them: no ValueLow, a whole <real> where an integer goes.
    "logic_saved": plist(
        [articulation(1, "Long", "<array><dict><key>MB1</key><integer>0</integer>"
                      "<key>Status</key><string>Note On</string></dict></array>", "Staccato"),
         "<dict><key>ID</key><real>1002.0</real><key>Name</key><string>Off</string>"
         "<key>Output</key><array>" + output("Note On", 1, 0) + "</array></dict>"]),
}


def combination(name, actions):
    body = f"<name>{name}</name>" if name else ""
    body += "<techniqueIDs>pt.natural</techniqueIDs><switchOnActions>"
    for kind, p1, p2 in actions:
        body += f"<switchOnAction><type>{kind}</type><param1>{p1}</param1><param2>{p2}</param2></switchOnAction>"
    return ("<playingTechniqueCombination>" + body +
            "</switchOnActions><switchOffActions/><transpose>0</transpose>"
            "</playingTechniqueCombination>")


def library(maps):
    out = "<kScoreLibrary><expressionMapDefinitions><entities>"
    for name, combinations in maps:
        out += (f"<ExpressionMapDefinition><name>{name}</name><playingTechniqueCombinations>" +
                "".join(combinations) + "</playingTechniqueCombinations></ExpressionMapDefinition>")
    return out + "</entities></expressionMapDefinitions></kScoreLibrary>"


doricolibs = {
    "example": example("strings.doricolib"),
    "two_maps": library([("A", [combination("Leg", [("kKeySwitch", 24, 127)])]),
                         ("B", [combination("", [("kControlChange", 32, 42),
                                                 ("kProgramChange", 3, 0)])])]),
}

def key_switch_list(entries, name=' name="Seed"'):
    return ('\ufeff<?xml version="1.0" encoding="UTF-8"?>\n<Music.KeySwitchList' + name + ">\n" +
            "".join("\t" + e + "\n" for e in entries) + "</Music.KeySwitchList>\n")


key_switch_lists = {
    "example": example("strings.keyswitch"),
    "key_switches": key_switch_list(['<Attributes pitch="24" name="Sustain"/>',
                                     '<Attributes pitch="25" name="Staccato"/>'], ""),
    "every_token": key_switch_list(
        ['<Attributes name="All" color="FFDD6105" id="0" pitch="36" '
         'activation="note24|note25.90|off24|off25.1|cc1.64|pc5|bc0.2"/>',
         '<Attributes name="Quiet" id="1" activation="" momentary="1"/>',
         '<Attributes name="Group" folder="1"><Attributes name="In" id="2" pitch="3" '
         'activation="note3"/></Attributes>',
         '<Attributes x:id="score"><Attributes symbol="slur" variationID="0" useGenerator="1"/>'
         '<Attributes symbol="circ" variationID="9"/></Attributes>']),
    "unknown_token": key_switch_list(['<Attributes name="A" pitch="1" activation="pb3"/>']),
    "cut": example("strings.keyswitch")[:300],
}

# Words of each format for libFuzzer's -dict.
DICTIONARIES = {
    "expression_map": ["<InstrumentMap>", "</InstrumentMap>", "<member name=\"slots\">",
                       "<member name=\"slotvisuals\">", "<member name=\"midiMessages\">",
                       "<member name=\"noteChanger\">", "<member name=\"sv\">",
                       "<member name=\"name\">", "</member>", "<list name=\"obj\" type=\"obj\">",
                       "</list>", "<obj class=\"PSoundSlot\" ID=\"1\">",
                       "<obj class=\"POutputEvent\" ID=\"2\">", "<obj class=\"USlotVisuals\" ID=\"9\"/>",
                       "</obj>", "<int name=\"status\" value=\"", "<int name=\"data1\" value=\"",
                       "<int name=\"data2\" value=\"", "<int name=\"group\" value=\"",
                       "<int name=\"channel\" value=\"", "<string name=\"s\" value=\"",
                       "<string name=\"text\" value=\"", "\"/>", "&#10;", "&amp;", "144", "176", "-1"],
    "articulation_plist": ["<plist>", "</plist>", "<dict>", "</dict>", "<array>", "</array>",
                           "<key>", "</key>", "<string>", "</string>", "<integer>", "</integer>",
                           "Articulations", "Output", "Status", "MB1", "ValueLow", "Symbol", "Name",
                           "Switches", "Note On", "Controller", "bplist", "<true/>", "&#13;"],
    "doricolib": ["<kScoreLibrary>", "<expressionMapDefinitions>", "<entities>",
                  "<ExpressionMapDefinition>", "<playingTechniqueCombinations>",
                  "<playingTechniqueCombination>", "<switchOnActions>", "<switchOnAction>",
                  "<switchOffAction>", "<type>", "<param1>", "<param2>", "<name>", "</name>",
                  "<techniqueIDs>", "kKeySwitch", "kControlChange", "<transpose>"],
    "keyswitch_list": ["<Music.KeySwitchList", "</Music.KeySwitchList>", "<Attributes",
                       "</Attributes>", "/>", " name=\"", " pitch=\"", " activation=\"",
                       " color=\"", " id=\"", " folder=\"1\"", " momentary=\"1\"",
                       " x:id=\"score\"", " symbol=\"", " variationID=\"", "note", "off", "cc",
                       "pc", "bc", "|", ".", "&amp;"],
}

for target, seeds in (("expression_map", expression_maps), ("articulation_plist", plists),
                      ("doricolib", doricolibs), ("keyswitch_list", key_switch_lists)):
    out = os.path.join(CORPUS, target)
    os.makedirs(out, exist_ok=True)
    for old in os.listdir(out):
        os.remove(os.path.join(out, old))
    for label, text in seeds.items():
        with open(os.path.join(out, label), "wb") as f:
            f.write(text.encode("utf-8"))
    with open(os.path.join(CORPUS, target + ".dict"), "w", encoding="utf-8") as f:
        for word in DICTIONARIES[target]:
            escaped = word.replace("\\", "\\\\").replace('"', '\\"')
            f.write(f'"{escaped}"\n')
    print(f"{len(seeds)} seeds in {out}")
