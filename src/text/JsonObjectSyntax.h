#pragma once

#include "text/JsonReader.h"

// The syntax of one JSON object, for the readers that share it:
//   {"name":"text","n":-12.5,"ok":true}
// The cursor reads blanks, marks, strings and other values its own way
// (SkipBlanks, Take, AtEnd, String(view&) after the opening quote,
// Value(view&, kind&)); onMember gets each member in order. True when the
// text is exactly one object, blanks around it allowed.
template <class Cursor, class OnMember> bool ReadJsonObject(Cursor& cursor, OnMember onMember) {
    cursor.SkipBlanks();
    if (!cursor.Take('{')) {
        return false;
    }
    cursor.SkipBlanks();
    if (!cursor.Take('}')) {
        do {
            cursor.SkipBlanks();
            CJsonReader::Member member{};
            if (!cursor.Take('"') || !cursor.String(member.name)) {
                return false;
            }
            cursor.SkipBlanks();
            if (!cursor.Take(':')) {
                return false;
            }
            cursor.SkipBlanks();
            if (cursor.Take('"')) {
                member.kind = CJsonReader::Kind::String;
                if (!cursor.String(member.value)) {
                    return false;
                }
            } else if (!cursor.Value(member.value, member.kind)) {
                return false;
            }
            onMember(member);
            cursor.SkipBlanks();
        } while (cursor.Take(','));
        if (!cursor.Take('}')) {
            return false;
        }
    }
    cursor.SkipBlanks();
    return cursor.AtEnd();
}
