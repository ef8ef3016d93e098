#include "app/driver.h"
#include "platform/huge_pages.h"
#include "platform/standard_descriptors.h"

int main(int argc, char** argv) {
  FillClosedStandardDescriptors();
  RestartWithHugePagesForLargeFiles(argc, argv);
  return RunProgram(argc, argv);
}
