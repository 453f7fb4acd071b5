// Entry point of korvane2: runs the phase sequence once and exits with its status.
#include "driver/run.hpp"

int main(int argc, char** argv) { return korvane2::run(argc, argv); }
