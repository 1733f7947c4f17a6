#include "EditorControl.h"

EditorControl::~EditorControl() = default;
