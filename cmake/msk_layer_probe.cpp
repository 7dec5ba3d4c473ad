// A program that links one layer's library whole (cmake/MskLayering.cmake): it only has to link.
int main() {
  return 0;
}
