// The code of the version-resource fixtures: a DLL needs some, its resources are what counts.
extern "C" int MskVersionFixture() {
  return 0;
}
