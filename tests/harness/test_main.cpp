// Entry point of every test program: COM in an apartment on the test thread, as in the programs themselves.
#include <ole2.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  OleInitialize(nullptr);
  testing::InitGoogleTest(&argc, argv);
  int result = RUN_ALL_TESTS();
  OleUninitialize();
  return result;
}
