// Validating a model as the viewer will see it: loaded by the viewer's own loader and
// incidence rule, then checked for a closed, convex, consistent boundary.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "model/incidence.h"
#include "model/loader.h"

namespace orvex::polytope {

/// What checkModel found in a model that passed.
struct ModelReport {
  int vertices = 0, edges = 0, polygons = 0, cells = 0;
  /// The cells by kind, most numerous first: "120 dodecahedra" or "24 × 6-face, ...".
  std::string cellKinds;
  /// The same kinds with their counts, in the same order.
  std::vector<std::pair<std::string, int>> kindCounts;
  /// The smallest gap, over all cells, between the cell's vertices and the next layer
  /// of vertices, in the units of the incidence rule (times the normal's written length).
  double smallestMargin = 0.0;
};

/// The margin every model must keep: twice the viewer's incidence tolerance, so a vertex
/// off a cell clears the rule by as much again as its width, far beyond the rounding of
/// 15-digit files. Any point set whose hull keeps it is written.
constexpr double kRequiredMargin = 2 * model::kIncidenceTolerance;

/// The margin the shipped library and the built-in families keep: 100 times the
/// tolerance, so that no catalogue model sits anywhere near the rule's edge.
constexpr double kLibraryMargin = 1e-3;

/// Reads model `name` from dataDir as model::loadModel does, derives its incidence by the
/// viewer's rule on the normals as written, and checks: every polygon has
/// three or more distinct vertices and is flat and convex in boundary order, and lies
/// in exactly two cells; V - E + F - C = 0; every cell spans three dimensions, has its
/// polygons closing up with no two neighbours in one plane, a normal pointing away from
/// the centre, no twin, exactly its polygons' vertices under the viewer's rule, those
/// within half the viewer's tolerance of the hyperplane and every other vertex at least
/// requiredMargin below it, both measured with the normal as written (its length scales
/// them, as it scales the viewer's rule). On failure returns false with one line: "<name>:
/// <problem>" (or the loader's message).
bool checkModel(const std::string& dataDir, const std::string& name, ModelReport* report,
                std::string* error, double requiredMargin = kRequiredMargin);

/// checkModel with the files' texts from source, so that a model is checked in memory,
/// exactly as the viewer would load it, before anything is written. source is called from
/// two threads at once.
bool checkModelFrom(const model::TextSource& source, const std::string& dataDir,
                    const std::string& name, ModelReport* report, std::string* error,
                    double requiredMargin = kRequiredMargin);

/// A distance as the generator's messages quote it: three significant digits.
std::string shortReal(double v);

/// Kinds of cells counted, in words, most numerous first: {"dodecahedron": 120} gives
/// "120 dodecahedra"; a kind ending in "-face" is listed as "24 × 6-face".
std::string describeKinds(const std::map<std::string, int>& kinds);

/// The name of a cell kind from its polygons: sidesCount[k] polygons with k sides.
/// "dodecahedron", "pentagonal prism", ..., or "" when it has no name here.
std::string cellKindName(const int sidesCount[], int maxSides);

}  // namespace orvex::polytope
