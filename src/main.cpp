#include "app/application.hpp"

int main(int argc, char** argv) { return marlguide::app::run_application(argc, argv); }
