#pragma once

#include <string>
#include <string_view>

// What the placeholders of a topic template stand for; an empty one is
// written "unknown".
struct MqttTopicFields {
    std::string_view Band;
    std::string_view Mode;
    std::string_view Dx;
    std::string_view Spotter;
    std::string_view Dxcc;
    std::string_view Cont;
};

// The topic of one spot from a template:
//
//   spotweaver/spots/{band}/{mode}/{dx}   ->   spotweaver/spots/20m/CW/K1ABC_P
//
// {band}, {mode}, {dx}, {spotter}, {dxcc} and {cont} are replaced; any other
// text stays. A value never adds a topic level or a wildcard: "/", "+" and
// "#" in it become "_", and characters outside printable ASCII too.
void ExpandMqttTopic(std::string_view pattern, const MqttTopicFields& fields, std::string& topic);
