// A name as a lookup key, for the tables that find a thing by a name typed
// in many spellings (icon names, UACC articulation names): lower-case ASCII,
// every run of separators one joiner, none at either end. "Long  Alt" and
// "long-alt" are the same key when blanks and '-' separate.
#pragma once

#include <string>
#include <string_view>

// `separators` are the characters that part words; `joiner` stands for each
// run of them between two words.
std::string NameKey(std::string_view name, std::string_view separators, char joiner);
