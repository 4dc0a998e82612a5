
	  x 
	