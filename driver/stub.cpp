// Placeholder until the driver's parts land.
namespace orven::driver {
int StubMarker() { return 0; }
}  // namespace orven::driver
