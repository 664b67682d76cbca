#include "debugger/sfr_names.h"

#include <utility>

namespace orven::debugger {
namespace {

constexpr std::pair<uint8_t, std::string_view> kSfrs[] = {
    {0x80, "P0"},     {0x81, "SP"},     {0x82, "DPL"},    {0x83, "DPH"},  {0x87, "PCON"},   {0x88, "TCON"},
    {0x89, "TMOD"},   {0x8A, "TL0"},    {0x8B, "TL1"},    {0x8C, "TH0"},  {0x8D, "TH1"},    {0x90, "P1"},
    {0x98, "SCON"},   {0x99, "SBUF"},   {0xA0, "P2"},     {0xA8, "IE"},   {0xB0, "P3"},     {0xB8, "IP"},
    {0xC8, "T2CON"},  {0xC9, "T2MOD"},  {0xCA, "RCAP2L"}, {0xCB, "RCAP2H"}, {0xCC, "TL2"},  {0xCD, "TH2"},
    {0xD0, "PSW"},    {0xE0, "ACC"},    {0xF0, "B"},
};

// Control bits go by their names; port and accumulator bits by register.bit.
constexpr std::pair<uint8_t, std::string_view> kBits[] = {
    {0x88, "IT0"},  {0x89, "IE0"},   {0x8A, "IT1"},  {0x8B, "IE1"},  {0x8C, "TR0"},  {0x8D, "TF0"},
    {0x8E, "TR1"},  {0x8F, "TF1"},   {0x98, "RI"},   {0x99, "TI"},   {0x9A, "RB8"},  {0x9B, "TB8"},
    {0x9C, "REN"},  {0x9D, "SM2"},   {0x9E, "SM1"},  {0x9F, "SM0"},  {0xA8, "EX0"},  {0xA9, "ET0"},
    {0xAA, "EX1"},  {0xAB, "ET1"},   {0xAC, "ES"},   {0xAD, "ET2"},  {0xAF, "EA"},   {0xB8, "PX0"},
    {0xB9, "PT0"},  {0xBA, "PX1"},   {0xBB, "PT1"},  {0xBC, "PS"},   {0xBD, "PT2"},  {0xC8, "CP_RL2"},
    {0xC9, "C_T2"}, {0xCA, "TR2"},   {0xCB, "EXEN2"}, {0xCC, "TCLK"}, {0xCD, "RCLK"}, {0xCE, "EXF2"},
    {0xCF, "TF2"},  {0xD0, "P"},     {0xD1, "F1"},   {0xD2, "OV"},   {0xD3, "RS0"},  {0xD4, "RS1"},
    {0xD5, "F0"},   {0xD6, "AC"},    {0xD7, "CY"},
};

}  // namespace

std::string_view SfrName(uint8_t address) {
  for (const auto& [at, name] : kSfrs) {
    if (at == address) return name;
  }
  return {};
}

std::string_view SfrBitName(uint8_t bitAddress) {
  for (const auto& [at, name] : kBits) {
    if (at == bitAddress) return name;
  }
  return {};
}

}  // namespace orven::debugger
