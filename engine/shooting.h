// Boundary conditions by shooting: the initial values x0 of a trajectory
// are corrected by Newton's method until the problem's boundary functions
// vanish at the boundary "Point". Each residual is a trial run from the
// trial initial values to "Point" (RunToBoundaryPoint, run_engine.h); the
// Jacobian is built by forward differences, one more trial run per
// variable, and the correction comes from a dense LU solve.
#pragma once

// Corrects the first n cells of x0 in place until every boundary function
// is below "Error" in absolute value. The run engine calls it (through
// gSolveBoundaryConditions) with the shooting status shown; the caller
// frees the shooting work space afterwards.
//
// Failure sets trajectoryAborted, so the family goes on with its next
// member: "Newton's method failed" after "Iterations" corrections without
// convergence, "Gauss method failed" on a singular Jacobian or missing work
// space. A stop or a failed trial run ends it silently (the trial run has
// shown its own message). Whenever it does not converge, x0 is put back as
// it was: the user's guess is never left replaced by a diverging iterate.
void SolveBoundaryConditions();
