// Where the player's car lands when it is put back on the track: the reset key pressed at evenly spaced places
// of a sample circuit, with the car beside the road and turned across it, each landing checked against the
// circuit's own road (the car's body between the road's edges, its heading along the road's).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/math/types.h"

namespace race_report {

// A circuit's road as it was laid: its centreline walked by distance and its half width.
struct RoadShape {
  float length = 0;
  float halfWidth = 0;
  // Centreline point at a distance along the loop and the unit heading there.
  std::function<platform::Vec3(float distance, platform::Vec3& heading)> centreAt;
};

// The distance along the road of its centreline point horizontally nearest to a point.
float AlongRoad(const RoadShape& road, const platform::Vec3& point);

// A sample circuit and a lap race on it, by race list and index.
struct SampleCircuit {
  std::string name;
  std::string list;
  int index = 0;
  RoadShape road;
};

// Every circuit the game ships: the city, downtown, the docks, the canal and the plaza.
std::vector<SampleCircuit> SampleCircuits();

// Where a car stands against the road: whether its body's four corners lie between the road's edges, how far
// past an edge the worst corner reaches (negative: inside), and the angle between its heading and the road's
// way of travel (degrees).
struct RoadPlacement {
  bool onRoad = false;
  float overEdge = 0;
  float headingError = 180;
};
RoadPlacement PlaceOnRoad(const RoadShape& road, const platform::Vec3& position, const platform::Vec3& forward,
                          const platform::Vec3& right, const platform::Vec3& bodyMin, const platform::Vec3& bodyMax,
                          bool reversed);

struct PutBackFigures {
  int spots = 0;
  int onRoad = 0;            // landings with the car's body on the road
  float worstHeading = 0;    // degrees
  float worstOverEdge = -1e9f;  // inches past an edge of the worst corner of any landing (negative: inside)
};

// Races the circuit alone (no opponents), the right way round or reversed, and presses the reset key at `spots`
// places evenly spaced round it, the car set down beside the road on alternate sides. False, with the reason,
// when the race does not load.
bool MeasurePutBacks(const std::string& gameFolder, const SampleCircuit& circuit, bool reversed, int spots,
                     PutBackFigures& figures, std::string& error);

}  // namespace race_report
