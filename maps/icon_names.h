// The names of the 150 slot icons: one canonical name per icon, plus the
// other names map files and other programs' maps use for them. The skin
// generator draws from the same layout, so a name always means the picture.
//
// Ids 0-59 are single symbols; ids 60-149 are fifteen of those symbols, each
// with six marks (soft, loud, fast, slow, 2, 3), named "<symbol>-<mark>".
// Canonical names are the icon names of Reaticulate banks where one of those
// fits the picture ("legato", "pizz", "trill-maj2", "note-quarter").
#pragma once

#include <string_view>

constexpr int kIconCount = 150;
constexpr int kDrawnIconCount = 60;
constexpr int kIconMarkCount = 6;
constexpr int kPlainNoteIcon = 55;
// A trill without its interval: the symbol the trill variants carry.
constexpr int kTrillSymbol = -1;
// The symbols that get the marked variants, in the order their blocks of six
// follow id 59.
constexpr int kIconVariantSymbols[] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 12, kTrillSymbol, 16, 21, 22, 25};
static_assert(kDrawnIconCount + sizeof(kIconVariantSymbols) / sizeof(int) * kIconMarkCount ==
              kIconCount);

// The canonical name of an icon; nullptr outside 0..149.
const char* IconName(int id);

// The icon a name stands for: a canonical name or an alias, compared without
// regard to ASCII case, with every run of spaces, hyphens, underscores, dots
// and brackets taken as one hyphen ("Snap Pizzicato" = "snap-pizzicato").
// −1 when unknown.
int IconIdForName(std::string_view name);

// The icon an articulation's name suggests by the words in it ("Spicc.",
// "Legato Tremolo", "Pizz Bartók"): the first of a fixed list of word
// beginnings that begins a word of the name. −1 when none does.
int IconIdFromWords(std::string_view text);
