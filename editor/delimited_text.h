// Delimiter-separated text as spreadsheets write and read it: records of
// fields, one record a line, fields separated by a tab, comma or semicolon.
// A field holding the delimiter, a quote or a line break is quoted, its
// quotes doubled ("say ""hi"""). Plain text in, plain text out: it knows
// nothing of what the fields mean.
//
// Reading takes LF, CRLF or a lone CR as a line end, a final line end or
// none, a UTF-8 byte order mark at the start (dropped), and quoted fields
// with line breaks inside. It is forgiving as spreadsheets are: text after
// a closing quote is kept, and an unclosed quote runs to the end.
#pragma once

#include <string>
#include <string_view>
#include <vector>

using DelimitedRecord = std::vector<std::string>;

// The records of `text`, fields split at `delimiter` ('\0': one field a
// line). Empty text has no records.
std::vector<DelimitedRecord> ReadDelimited(std::string_view text, char delimiter);

// The records written with `delimiter`, each line ended by `lineEnd` (the
// last one too).
std::string WriteDelimited(const std::vector<DelimitedRecord>& records, char delimiter,
                           std::string_view lineEnd = "\r\n");

// The delimiter a pasted text uses: a tab when it holds one anywhere;
// otherwise, when it has more than one line, the more frequent of ';' and ','
// in its first line (outside quotes; ',' on a tie); otherwise '\0': a single
// line without a tab is one field, whatever commas it holds.
char GuessDelimiter(std::string_view text);

// `text` without a leading UTF-8 byte order mark.
std::string_view WithoutByteOrderMark(std::string_view text);
