#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/token_message.h"

namespace quorvel::rules {

// A map and the start of a game on it, as our server and the arena take them from a file:
// the map definition, who owns which centre and where the units stand.
// Where a province is drawn, as a map file may say ("#place PAR 210 340"): any scale.
struct MapPlace {
  std::string province;
  double x = 0;
  double y = 0;
};

struct MapFile {
  std::string name = "standard";  // as MAP names it: the file's name without its extension
  TokenMessage mdf;
  TokenMessage sco;
  TokenMessage now;
  std::vector<MapPlace> places;  // none: a page lays the map out from its borders
};

struct MapFileReading {
  std::optional<MapFile> map;
  std::string error;  // "FILE:LINE:COLUMN: what is wrong" when there is no map
};

// The file holds three messages in their printed form, MDF, SCO and NOW in this order;
// line breaks count as spaces and '#' starts a comment that runs to the line's end. The
// messages are checked as a game loads them, and beyond: every owner of a centre is a
// power of the map, no centre is owned twice, no province holds two units, every
// adjacency goes both ways and the start has no dislodged units. A comment line
// "#place PROVINCE X Y" says where a page draws the province (the servers never see it);
// it must name a province of the map, once, with two numbers.
MapFileReading read_map_file(const std::string& path);
MapFileReading read_map_text(std::string_view text, const std::string& name);

}  // namespace quorvel::rules
