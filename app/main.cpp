#include "app/driver.h"
#include "platform/huge_pages.h"

int main(int argc, char** argv) {
  RestartWithHugePagesForLargeFiles(argc, argv);
  return RunProgram(argc, argv);
}
