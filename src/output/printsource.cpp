#include "printsource.h"

PrintSource::~PrintSource() = default;
