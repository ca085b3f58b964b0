#include "polytope/coxeter.h"

#include <cctype>
#include <cmath>

namespace orvex::polytope {

bool coxeterGroup(const std::string& rawName, CoxeterGroup* group) {
  std::string name;
  for (char c : rawName) name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  struct Link {
    int i, j, m;
  };
  struct Diagram {
    const char* name;
    Link links[3];
  };
  static const Diagram kDiagrams[] = {
      {"A4", {{0, 1, 3}, {1, 2, 3}, {2, 3, 3}}},   {"B4", {{0, 1, 4}, {1, 2, 3}, {2, 3, 3}}},
      {"D4", {{0, 1, 3}, {1, 2, 3}, {1, 3, 3}}},   {"F4", {{0, 1, 3}, {1, 2, 4}, {2, 3, 3}}},
      {"H4", {{0, 1, 5}, {1, 2, 3}, {2, 3, 3}}},   {"A3A1", {{0, 1, 3}, {1, 2, 3}, {0, 0, 1}}},
      {"B3A1", {{0, 1, 4}, {1, 2, 3}, {0, 0, 1}}}, {"H3A1", {{0, 1, 5}, {1, 2, 3}, {0, 0, 1}}},
  };
  for (const Diagram& d : kDiagrams) {
    if (name != d.name) continue;
    group->name = d.name;
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) group->m[i][j] = i == j ? 1 : 2;
    }
    for (const Link& l : d.links) {
      if (l.i == l.j) continue;
      group->m[l.i][l.j] = group->m[l.j][l.i] = l.m;
    }
    // The roots are the rows of the Cholesky factor of their Gram matrix, which is
    // positive definite for every finite group.
    const long double pi = std::acos(-1.0L);
    long double gram[4][4], lower[4][4] = {};
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j < 4; ++j) gram[i][j] = -std::cos(pi / group->m[i][j]);
    }
    for (int i = 0; i < 4; ++i) {
      for (int j = 0; j <= i; ++j) {
        long double s = gram[i][j];
        for (int k = 0; k < j; ++k) s -= lower[i][k] * lower[j][k];
        lower[i][j] = i == j ? std::sqrt(s) : s / lower[j][j];
      }
    }
    for (int i = 0; i < 4; ++i) {
      for (int k = 0; k < 4; ++k) group->fineRoots[i][k] = lower[i][k];
      group->roots[i] = Vec4(static_cast<double>(lower[i][0]), static_cast<double>(lower[i][1]),
                             static_cast<double>(lower[i][2]), static_cast<double>(lower[i][3]));
    }
    return true;
  }
  return false;
}

}  // namespace orvex::polytope
