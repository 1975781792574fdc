#include "maps/formats/doricolib.h"

#include "maps/formats/xml_support.h"

namespace {

std::string Text(pugi::xml_node parent, const char* child) {
  return OneLineText(ElementText(parent.child(child)));
}

// param1 and param2 of an action; a missing one is `fallback`, or an error
// when there is none.
bool ReadParam(pugi::xml_node action, const char* param, int fallback, const std::string& where,
               int& value, ImportError& error) {
  const pugi::xml_node node = action.child(param);
  if (!node && fallback >= 0) {
    value = fallback;
    return true;
  }
  if (!node) return Fail(error, where, std::string(param) + " is missing");
  if (!ParseWholeNumber(ElementText(node), value))
    return Fail(error, where,
                std::string(param) + " " + Shown(ElementText(node)) + " is not a whole number");
  return true;
}

bool ReadAction(pugi::xml_node action, const std::string& where, ForeignOutput& output,
                ImportError& error) {
  const std::string type = Text(action, "type");
  if (type == "kKeySwitch" || type == "kControlChange") {
    const bool key = type == "kKeySwitch";
    output.kind = key ? ForeignOutput::Kind::Note : ForeignOutput::Kind::ControlChange;
    // A keyswitch without a velocity is played at full velocity.
    if (!ReadParam(action, "param1", -1, where, output.data1, error) ||
        !ReadParam(action, "param2", key ? 127 : -1, where, output.data2, error) ||
        !CheckMidiByte(output.data1, where, "param1", error) ||
        !CheckMidiByte(output.data2, where, "param2", error))
      return false;
  } else {
    output.kind =
        type == "kProgramChange" ? ForeignOutput::Kind::ProgramChange : ForeignOutput::Kind::Other;
    ParseWholeNumber(Text(action, "param1"), output.data1);
    ParseWholeNumber(Text(action, "param2"), output.data2);
  }
  output.text = type + " " + Text(action, "param1");
  if (action.child("param2")) output.text += ", " + Text(action, "param2");
  return true;
}

bool ReadCombination(pugi::xml_node combination, int number, const std::string& mapPlace,
                     ForeignArticulation& art, ImportError& error) {
  art.name = Text(combination, "name");
  if (art.name.empty()) art.name = Text(combination, "techniqueIDs");
  art.where = "combination " + std::to_string(number);
  const std::string place = mapPlace + ", " + Placed(art.where, art.name);
  int index = 0;
  for (pugi::xml_node action : combination.child("switchOnActions").children("switchOnAction")) {
    ForeignOutput output;
    if (!ReadAction(action, place + ", switch-on action " + std::to_string(++index), output, error))
      return false;
    art.outputs.push_back(output);
  }
  index = 0;
  for (pugi::xml_node action : combination.child("switchOffActions").children("switchOffAction")) {
    ForeignOutput output;
    if (!ReadAction(action, place + ", switch-off action " + std::to_string(++index), output,
                    error))
      return false;
    art.extras.push_back("switch-off action " + output.text);
  }
  const std::string transposeText = Text(combination, "transpose");
  if (!transposeText.empty() && !ParseWholeNumber(transposeText, art.transpose))
    return Fail(error, place, "transpose " + Shown(transposeText) + " is not a whole number");
  return true;
}

}  // namespace

bool ReadDoricoLibrary(const std::string& text, ForeignMap& map, ImportError& error) {
  pugi::xml_document doc;
  if (!ParseXml(text, doc, error)) return false;
  const pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != "kScoreLibrary")
    return Fail(error, Tag(root),
                "not a Dorico library: the outermost element must be <kScoreLibrary>");

  std::vector<ForeignBank> banks;
  int mapNumber = 0;
  for (pugi::xml_node definition : root.child("expressionMapDefinitions")
                                       .child("entities")
                                       .children("ExpressionMapDefinition")) {
    ForeignBank bank;
    bank.name = Text(definition, "name");
    bank.where = "map " + std::to_string(++mapNumber);
    const std::string mapPlace = Placed(bank.where, bank.name);
    int number = 0;
    for (pugi::xml_node combination :
         definition.child("playingTechniqueCombinations").children("playingTechniqueCombination")) {
      ForeignArticulation art;
      if (!ReadCombination(combination, ++number, mapPlace, art, error)) return false;
      bank.articulations.push_back(std::move(art));
    }
    // A map without combinations selects nothing: there is nothing to import.
    if (!bank.articulations.empty()) banks.push_back(std::move(bank));
  }
  if (banks.empty())
    return Fail(error, "<expressionMapDefinitions>",
                mapNumber == 0 ? "the library holds no expression maps"
                               : "no expression map holds a playing technique combination");
  map.banks = std::move(banks);
  return true;
}
