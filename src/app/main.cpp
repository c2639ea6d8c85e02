#include "startup.h"

int main(int argc, char** argv) {
  return scenova::app::Main(argc, argv);
}
