10'Number of Faces and Number of Points
11 data 5
12'Points from the 3D Object
