// placeholder: being written
#pragma once
