#pragma once

// The facts of the exercise, each written once: the compounds on the tiles, the reactions with the
// alkyne each one burns and the compound each one lacks, what a right answer earns, and the coefficient
// boxes of each reaction.

#include <array>
#include <cstdint>
#include <string_view>

namespace facts {

// The compounds on the tiles. Tile n shows kind n mod 5, so each kind has five tiles.
enum class Kind : std::int16_t { Carbon, CarbonDioxide, CarbonMonoxide, Water, Hydrogen };
inline constexpr int KindCount = 5;
inline constexpr int TilesPerKind = 5;
inline constexpr int TileCount = KindCount * TilesPerKind;
// No tile: on a reaction that holds none, or where the keyboard finds none.
inline constexpr std::int16_t NoTile = -1;

constexpr Kind kindOfTile(int tile) {
    return static_cast<Kind>(tile % KindCount);
}

// The compounds' formulas in plain ASCII, as a learning platform records them.
inline constexpr std::array<std::string_view, KindCount> Formula{"C", "CO2", "CO", "H2O", "H2"};

// The reactions, top to bottom: the complete combustion of ethyne, propyne, butyne, pentyne and the
// general alkyne CνH2ν−2. Each picture leaves one product blank; this is the compound that belongs there.
inline constexpr std::array<Kind, 5> LackingCompound{Kind::CarbonDioxide, Kind::Water, Kind::CarbonDioxide,
                                                     Kind::Water, Kind::CarbonDioxide};
inline constexpr int ReactionCount = static_cast<int>(LackingCompound.size());
inline constexpr int GeneralAlkyne = 4;

// The carbon atoms of the alkyne CνH2ν−2 that each reaction before the general alkyne burns.
inline constexpr std::array<int, GeneralAlkyne> CarbonAtoms{2, 3, 4, 5};

constexpr int hydrogenAtoms(int carbonAtoms) {
    return 2 * carbonAtoms - 2;
}

// The general alkyne's picture prints its coefficient; its formula in plain ASCII, v standing for ν.
inline constexpr int GeneralAlkyneCoefficient = 2;
inline constexpr std::string_view GeneralAlkyneFormula = "CvH2v-2";

// What a reaction earns: its right compound, and the right coefficients besides.
inline constexpr int PointsForCompound = 5;
inline constexpr int PointsForCoefficients = 15;

// The coefficient boxes: one per compound of an equation, box index reaction × 4 + position.
enum Position { Alkyne, Oxygen, CarbonDioxide, Water };
inline constexpr int BoxesPerReaction = 4;
inline constexpr int BoxCount = ReactionCount * BoxesPerReaction;
// The longest text a box takes, in UTF-16 code units: ample for any coefficient, short enough that a
// whole attempt fits what a learning platform keeps of it (attempt.h).
inline constexpr int BoxTextLength = 40;

constexpr int boxIndex(int reaction, int position) {
    return reaction * BoxesPerReaction + position;
}

constexpr int reactionOfBox(int box) {
    return box / BoxesPerReaction;
}

constexpr int positionOfBox(int box) {
    return box % BoxesPerReaction;
}

// The position of the product that a reaction's picture leaves blank.
constexpr Position lackingPosition(int reaction) {
    return LackingCompound.at(reaction) == Kind::Water ? Water : CarbonDioxide;
}

// The general alkyne's own coefficient is printed in its picture, so its boxes start at oxygen.
constexpr int firstPosition(int reaction) {
    return reaction == GeneralAlkyne ? Oxygen : Alkyne;
}

// The box over the general alkyne's coefficient belongs to no reaction and is never shown.
inline constexpr int UnusedBox = boxIndex(GeneralAlkyne, Alkyne);

} // namespace facts
