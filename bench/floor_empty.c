/* SPDX-License-Identifier: MIT */
/* The least any program costs: start and exit. */
int main(void)
{
    return 0;
}
