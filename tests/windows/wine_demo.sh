#!/bin/bash
# dorminax.exe of the working directory under Wine, as a program the drivers can start.
exec wine ./dorminax.exe "$@"
