// What an export says it lost: the settings it was given against what an
// import of the written file gives back, item by item (export_items.h). A
// lost item gets the reason its writer gave, or a plain "does not come back"
// when the writer gave none; what changes what the instrument receives is a
// warning, what does not (names, icons, the editor's page) a note.
#pragma once

#include <string>
#include <vector>

#include "maps/formats/export_items.h"
#include "maps/plugin_settings.h"

// `format` names the written format in reasons: "a .reabank". Lines are
// appended without a file name: "slot 3 "Staccato": held note E1 v100 on
// channel 2 not kept: an .expressionmap has no held notes".
void ReportExportLosses(const PluginSettings& wanted, const PluginSettings& back,
                        const ExportLosses& losses, const std::string& format,
                        std::vector<std::string>& warnings, std::vector<std::string>& notes);
