#pragma once

// The start-up routine: opens the rate calculation window and returns.
void Main();
